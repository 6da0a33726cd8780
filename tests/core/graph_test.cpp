#include "graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "bmpfile.h"
#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::TempDir;
using testutil::WriteBytes;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Points = std::vector<GraphPoint>;

namespace {

std::string Show(const Points& points) {
    std::string s;
    for (const auto& p : points) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

RecordPoint Point(int32_t seconds, int32_t chars, int32_t misses) {
    RecordPoint p;
    p.Seconds = seconds;
    p.Chars = chars;
    p.Misses = misses;
    return p;
}

Lines Numbered(int count) {
    Lines lines;
    for (int i = 0; i < count; ++i) lines.push_back(std::to_string(i + 1) + " 100 2");
    return lines;
}

uint32_t Le32(const std::string& b, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

}  // namespace

TEST(GraphFields, DecimalIntegersOrMinusOne) {
    const struct {
        const char* field;
        int32_t value;
    } cases[] = {
        {"212", 212},       {"0", 0},
        {"+5", 5},          {"-3", -3},
        {"007", 7},         {"2147483647", 2147483647},
        {"2147483648", -1}, {"-2147483648", -2147483647 - 1},
        {"", -1},           {"-", -1},
        {"+", -1},          {"12a", -1},
        {"1.5", -1},        {" 5", -1},
        {"0x10", -1},       {"+-1", -1},
        {"\x82\x4f", -1},  // full-width ０
    };
    for (const auto& c : cases) EXPECT_EQ(RecordFieldValue(c.field), c.value) << c.field;
}

TEST(GraphSeries, LinesFillTheEntriesFromTheOldest) {
    const RecordSeries empty = SeriesFromRecords({});
    for (const RecordPoint& p : empty) EXPECT_EQ(p, Point(-1, -1, -1));

    // Short, bad and empty lines keep their place; what they lack is no data.
    const RecordSeries s =
        SeriesFromRecords({"95 212 7", "60 180", "x 150 2", "", "30,\"120\",0", "\"1 2\" 3 4 5"});
    EXPECT_EQ(s[0], Point(95, 212, 7));
    EXPECT_EQ(s[1], Point(60, 180, -1));
    EXPECT_EQ(s[2], Point(-1, 150, 2));
    EXPECT_EQ(s[3], Point(-1, -1, -1));
    EXPECT_EQ(s[4], Point(30, 120, 0));
    EXPECT_EQ(s[5], Point(-1, 3, 4)) << "a quoted field is one field";
    EXPECT_EQ(s[6], Point(-1, -1, -1));

    const RecordSeries full = SeriesFromRecords(Numbered(150));
    EXPECT_EQ(full[0].Seconds, 1);
    EXPECT_EQ(full[149].Seconds, 150);

    // A list edited to more than 150 lines: the newest 150, the oldest of them at index 0.
    const RecordSeries over = SeriesFromRecords(Numbered(160));
    EXPECT_EQ(over[0].Seconds, 11);
    EXPECT_EQ(over[149].Seconds, 160);

    const GraphSeries both = LoadSeries(Numbered(3), Numbered(160));
    EXPECT_EQ(both.TotalSeries[2].Seconds, 3);
    EXPECT_EQ(both.TotalSeries[3].Seconds, -1);
    EXPECT_EQ(both.FileSeries[0].Seconds, 11);
}

TEST(GraphPolylines, PointsOfEachSeries) {
    const RecordSeries three = SeriesFromRecords({"100 200 10", "110 220 0", "120 240 12"});
    // From the baseline at the left edge through x = 10, 12, 14 and nothing to their right.
    EXPECT_EQ(Show(SeriesPolyline(three, SeriesKind::Chars, true).points),
              Show({{0, 180}, {10, 80}, {12, 70}, {14, 60}}));
    EXPECT_EQ(Show(SeriesPolyline(three, SeriesKind::Seconds, true).points),
              Show({{0, 180}, {10, 130}, {12, 125}, {14, 120}}));
    // No mistypes: no point; the line runs from the first play on to the third.
    EXPECT_EQ(Show(SeriesPolyline(three, SeriesKind::Misses, true).points),
              Show({{0, 180}, {10, 160}, {14, 156}}));

    // 1 per minute and 1 second lie on the baseline (1 div 2 = 0); 1 mistype is 2 high;
    // 400 per minute is above the top edge; values of 0 or no data are passed over.
    const RecordSeries edge = SeriesFromRecords({"1 1 1", "0 400 -1", "x y z", "3 -5 90"});
    EXPECT_EQ(Show(SeriesPolyline(edge, SeriesKind::Chars, true).points),
              Show({{0, 180}, {10, 180}, {12, -20}}));
    EXPECT_EQ(Show(SeriesPolyline(edge, SeriesKind::Seconds, true).points),
              Show({{0, 180}, {10, 180}, {16, 179}}));
    EXPECT_EQ(Show(SeriesPolyline(edge, SeriesKind::Misses, true).points),
              Show({{0, 180}, {10, 178}, {16, 0}}));

    // The newest play of a full list is at x = 308.
    EXPECT_EQ(
        SeriesPolyline(SeriesFromRecords(Numbered(150)), SeriesKind::Seconds, true).points.back(),
        (GraphPoint{308, 105}));

    // The largest values stay far above the top without overflowing.
    const RecordSeries huge = SeriesFromRecords({"2147483647 2147483647 2147483647"});
    for (SeriesKind kind : {SeriesKind::Chars, SeriesKind::Misses, SeriesKind::Seconds}) {
        const GraphPoint p = SeriesPolyline(huge, kind, true).points.at(1);
        EXPECT_LT(p.y, -100000);
        EXPECT_GT(p.y, -2000000);
    }
}

// One pixel per step along the longer axis, the nearest to the line, both ends included; only
// what lies in the picture.
TEST(GraphPolylines, SegmentPixels) {
    const struct {
        GraphPoint a, b;
        Points pixels;
    } cases[] = {
        {{0, 180}, {0, 180}, {{0, 180}}},
        {{0, 180}, {4, 180}, {{0, 180}, {1, 180}, {2, 180}, {3, 180}, {4, 180}}},
        {{0, 180}, {4, 178}, {{0, 180}, {1, 179}, {2, 179}, {3, 178}, {4, 178}}},  // halves away
        {{14, 160}, {16, 160}, {{14, 160}, {15, 160}, {16, 160}}},
        {{24, 180}, {26, 175}, {{24, 180}, {24, 179}, {25, 178}, {25, 177}, {26, 176}, {26, 175}}},
        {{26, 175}, {24, 180}, {{26, 175}, {26, 176}, {25, 177}, {25, 178}, {24, 179}, {24, 180}}},
        {{308, 2}, {312, -2}, {{308, 2}, {309, 1}}},  // beyond the right and top edges
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show({c.a, c.b}));
        EXPECT_EQ(Show(SegmentPixels(c.a, c.b)), Show(c.pixels));
    }
    // Towards a value far above the top: only the picture's rows are walked.
    const Points steep = SegmentPixels({10, 180}, {12, -1000000});
    ASSERT_EQ(steep.size(), 181u);  // y = 180 up to 0, one pixel each
    EXPECT_EQ(steep.front(), (GraphPoint{10, 180}));
    EXPECT_EQ(steep.back(), (GraphPoint{10, 0}));
}

// A known series: every vertex in the picture is painted, the pixels run on without a gap,
// and none lies below the baseline.
TEST(GraphPolylines, EveryVertexIsPaintedAndNothingBelowTheBaseline) {
    const RecordSeries series = SeriesFromRecords(
        {"100 0 0", "300 0 0", "20 0 0", "40 0 0", "360 0 0", "2 0 0", "200 0 0", "250 0 0",
         "10 0 0", "330 0 0", "41 0 0", "42 0 0", "1000 0 0", "5 0 0", "61 0 0", "1 0 0"});
    const Polyline line = SeriesPolyline(series, SeriesKind::Seconds, true);
    const Points pixels = PolylinePixels(line);
    for (const GraphPoint& v : line.points) {
        if (v.y < 0) continue;
        EXPECT_NE(std::find(pixels.begin(), pixels.end(), v), pixels.end()) << Show({v});
    }
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_LE(pixels[i].y, kGraphBaseline) << Show({pixels[i]});
        if (i == 0 || pixels[i].y == 0 || pixels[i - 1].y == 0) continue;  // leaves the top
        EXPECT_LE(std::abs(pixels[i].x - pixels[i - 1].x), 1) << Show({pixels[i - 1], pixels[i]});
        EXPECT_LE(std::abs(pixels[i].y - pixels[i - 1].y), 1) << Show({pixels[i - 1], pixels[i]});
    }
}

TEST(GraphPolylines, TickedSeriesInOrderInTheirColours) {
    const GraphSeries s = LoadSeries({"10 20 1"}, {"30 40 2"});
    struct Expect {
        Rgb colour;
        int32_t y;  // of the one play
    };
    auto check = [&](const GraphChecks& checks, const std::vector<Expect>& expected,
                     const char* what) {
        const std::vector<Polyline> lines = GraphPolylines(s, checks);
        ASSERT_EQ(lines.size(), expected.size()) << what;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].colour, expected[i].colour) << what << " line " << i;
            EXPECT_EQ(Show(lines[i].points), Show({{0, 180}, {10, expected[i].y}}))
                << what << " line " << i;
        }
    };
    const Rgb red{0xFF, 0, 0}, blue{0, 0, 0xFF}, green{0, 0xFF, 0};
    const Rgb darkRed{0x66, 0, 0}, darkBlue{0, 0, 0x66}, darkGreen{0, 0x66, 0};

    // As the window opens: the file report's three series, bright.
    check(GraphChecks{}, {{red, 160}, {blue, 176}, {green, 165}}, "opening");

    GraphChecks all;
    all.chTotalMozi = all.chTotalMiss = all.chTotalTime = true;
    all.chFile = false;  // dark, not hidden
    check(
        all,
        {{red, 170}, {blue, 178}, {green, 175}, {darkRed, 160}, {darkBlue, 176}, {darkGreen, 165}},
        "all six, the file report dark");

    GraphChecks some;
    some.chTotal = false;
    some.chTotalMiss = true;
    some.chFileMozi = some.chFileTime = false;
    check(some, {{darkBlue, 178}, {blue, 176}}, "total mistypes dark, file mistypes bright");

    EXPECT_TRUE(GraphNameBox(GraphChecks{}).shown);
    GraphChecks noName;
    noName.CheckFileName = false;
    EXPECT_FALSE(GraphNameBox(noName).shown);
}

TEST(GraphChecks, GroupDoubleClickFollowsItsBrightBox) {
    GraphChecks c;  // total report: bright ticked, its series clear
    c.ToggleTotal();
    EXPECT_FALSE(c.chTotal || c.chTotalMozi || c.chTotalMiss || c.chTotalTime);
    c.ToggleTotal();
    EXPECT_TRUE(c.chTotal && c.chTotalMozi && c.chTotalMiss && c.chTotalTime);
    // The file report is not touched by the total report's toggle, and back.
    EXPECT_TRUE(c.chFile && c.chFileMozi && c.chFileMiss && c.chFileTime);
    c.chFile = false;  // bright clear, series ticked: all four ticked
    c.chFileMiss = false;
    c.ToggleFile();
    EXPECT_TRUE(c.chFile && c.chFileMozi && c.chFileMiss && c.chFileTime);
    EXPECT_TRUE(c.CheckFileName);
}

TEST(GraphDrag, ThePictureFollowsTheHand) {
    PictureDrag drag;
    const ScrollPosition at{100, 50};
    EXPECT_EQ(drag.MouseMove(130, 60, at, true), at) << "no button held";
    drag.MouseDown(200, 80);
    EXPECT_EQ(drag.Dragging, 1);
    EXPECT_EQ(drag.MouseMove(230, 80, at, true), (ScrollPosition{70, 50})) << "30 right";
    EXPECT_EQ(drag.MouseMove(170, 95, at, true), (ScrollPosition{130, 35})) << "30 left, 15 down";
    EXPECT_EQ(drag.MouseMove(200, 60, at, true), (ScrollPosition{100, 70})) << "20 up";
    EXPECT_EQ(drag.MouseMove(230, 80, at, false), at) << "zoom off";
    drag.MouseUp();
    EXPECT_EQ(drag.MouseMove(230, 80, at, true), at) << "after the button is up";
}

TEST(GraphExport, ProposedNameFromTheLocalTime) {
    EXPECT_EQ(ExportFileName(LocalTime{2024, 12, 7, 14, 30, 59}), "12071430.bmp");
    EXPECT_EQ(ExportFileName(LocalTime{2025, 1, 1, 0, 5, 0}), "01010005.bmp");
}

TEST(GraphExport, Bmp24HeaderRowsFromTheBottomPaddedToFourBytes) {
    // 2 × 2: top row red, green; bottom row blue, white.
    const uint8_t rgb[] = {255, 0, 0,   0,   255, 0,   0xAA, 0xAA,  // two bytes beyond the row
                           0,   0, 255, 255, 255, 255, 0xAA, 0xAA};
    const std::string b = EncodeBmp24(2, 2, rgb, 8);
    ASSERT_EQ(b.size(), 54u + 2 * 8);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(Le32(b, 2), 70u);   // file size
    EXPECT_EQ(Le32(b, 10), 54u);  // pixel offset
    EXPECT_EQ(Le32(b, 14), 40u);  // info header size
    EXPECT_EQ(Le32(b, 18), 2u);
    EXPECT_EQ(Le32(b, 22), 2u);                // positive: bottom-up
    EXPECT_EQ(Le32(b, 26), 1u | (24u << 16));  // planes, bits per pixel
    EXPECT_EQ(Le32(b, 30), 0u);                // uncompressed
    EXPECT_EQ(Le32(b, 34), 16u);
    EXPECT_EQ(b.substr(54), std::string("\xFF\x00\x00\xFF\xFF\xFF\x00\x00"   // blue, white
                                        "\x00\x00\xFF\x00\xFF\x00\x00\x00",  // red, green
                                        16));
    EXPECT_EQ(
        EncodeBmp24(kGraphWidth, kGraphHeight, std::vector<uint8_t>(932 * 190).data(), 932).size(),
        54u + 932u * 190u);
    EXPECT_TRUE(EncodeBmp24(0, 5, rgb, 8).empty());
}

TEST(GraphBackground, FoundWhateverTheCaseOfItsNames) {
    TempDir dir;
    const fs::path base = dir.path();
    BackgroundLookup none = FindGraphBackground(base);
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.path, base / "system" / "Glaph.bmp");

    fs::create_directories(base / "System");
    fs::create_directories(base / "System" / "glaph.bmp");  // a folder is no picture
    EXPECT_FALSE(FindGraphBackground(base).found);
    fs::remove(base / "System" / "glaph.bmp");

    WriteBytes(base / "System" / "GLAPH.BMP", "BM");
    BackgroundLookup found = FindGraphBackground(base);
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.path, base / "System" / "GLAPH.BMP");

    // The exact names win over other spellings, where the file system can hold both.
    if (testutil::IgnoresCase(base)) return;
    fs::create_directories(base / "system");
    WriteBytes(base / "system" / "Glaph.bmp", "BM");
    found = FindGraphBackground(base);
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.path, base / "system" / "Glaph.bmp");
}
