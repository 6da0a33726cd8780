#include "graph.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "keytable.h"
#include "sjis.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace {

// Fields 1 to 3 of a record line, each a value or -1.
RecordPoint PointFromLine(std::string_view line) {
    const std::vector<std::string> fields = SplitStoredValue(line);
    auto field = [&](std::size_t i) {
        return i < fields.size() ? RecordFieldValue(fields[i]) : -1;
    };
    RecordPoint p;
    p.Seconds = field(0);
    p.Chars = field(1);
    p.Misses = field(2);
    return p;
}

int32_t SeriesValue(const RecordPoint& p, SeriesKind kind) {
    switch (kind) {
        case SeriesKind::Chars:
            return p.Chars;
        case SeriesKind::Misses:
            return p.Misses;
        case SeriesKind::Seconds:
            return p.Seconds;
    }
    return -1;
}

// Far above the picture's top, yet small enough for any painter's coordinates: a line
// towards a higher value crosses the top edge less than a thousandth of a pixel away from
// where the true line would.
constexpr int64_t kHeightLimit = int64_t{1} << 20;

}  // namespace

int32_t RecordFieldValue(std::string_view field) {
    std::string_view digits = field;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    // from_chars takes a minus sign but not a plus sign.
    if (field[0] == '+') field.remove_prefix(1);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size()) return -1;
    return value;
}

RecordSeries SeriesFromRecords(const std::vector<std::string>& lines) {
    RecordSeries series{};
    const std::size_t skip = lines.size() > series.size() ? lines.size() - series.size() : 0;
    for (std::size_t i = skip; i < lines.size(); ++i) series[i - skip] = PointFromLine(lines[i]);
    return series;
}

GraphSeries LoadSeries(const std::vector<std::string>& totalRecords,
                       const std::vector<std::string>& actRecords) {
    return GraphSeries{SeriesFromRecords(totalRecords), SeriesFromRecords(actRecords)};
}

void GraphChecks::ToggleTotal() {
    const bool on = !chTotal;
    chTotal = chTotalMozi = chTotalMiss = chTotalTime = on;
}

void GraphChecks::ToggleFile() {
    const bool on = !chFile;
    chFile = chFileMozi = chFileMiss = chFileTime = on;
}

int32_t SeriesHeight(SeriesKind kind, int32_t value) {
    const int64_t v = value;
    const int64_t h = kind == SeriesKind::Misses ? v * 2 : v / 2;
    return static_cast<int32_t>(std::clamp(h, -kHeightLimit, kHeightLimit));
}

Rgb SeriesColour(SeriesKind kind, bool bright) {
    const uint8_t level = bright ? 0xFF : 0x66;
    switch (kind) {
        case SeriesKind::Chars:
            return Rgb{level, 0, 0};
        case SeriesKind::Misses:
            return Rgb{0, 0, level};
        case SeriesKind::Seconds:
            return Rgb{0, level, 0};
    }
    return Rgb{};
}

Polyline SeriesPolyline(const RecordSeries& series, SeriesKind kind, bool bright) {
    Polyline line{SeriesColour(kind, bright), {GraphPoint{0, kGraphBaseline}}};
    for (std::size_t i = 0; i < series.size(); ++i) {
        const int32_t v = SeriesValue(series[i], kind);
        if (v <= 0) continue;
        line.points.push_back(GraphPoint{kGraphFirstX + kGraphStepX * static_cast<int32_t>(i),
                                         kGraphBaseline - SeriesHeight(kind, v)});
    }
    return line;
}

std::vector<GraphPoint> SegmentPixels(GraphPoint a, GraphPoint b) {
    // Along the longer axis, step t of n; the other coordinate rounded from t × d / n.
    const int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const int64_t n = alongX ? std::abs(dx) : std::abs(dy);
    const int64_t major0 = alongX ? a.x : a.y, minor0 = alongX ? a.y : a.x;
    const int64_t majorStep = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorDelta = alongX ? dy : dx;
    const int64_t majorLimit = alongX ? kGraphWidth : kGraphHeight;
    // Only the steps inside the picture along the longer axis: a line towards a value far
    // above the top is not walked pixel by pixel.
    int64_t first = 0, last = n;
    if (majorStep > 0) {
        first = std::max(first, -major0);
        last = std::min(last, majorLimit - 1 - major0);
    } else {
        first = std::max(first, major0 - (majorLimit - 1));
        last = std::min(last, major0);
    }
    std::vector<GraphPoint> pixels;
    for (int64_t t = first; t <= last; ++t) {
        const int64_t offset =
            n == 0 ? 0 : (2 * t * std::abs(minorDelta) + n) / (2 * n) * (minorDelta < 0 ? -1 : 1);
        const int64_t major = major0 + majorStep * t, minor = minor0 + offset;
        const int64_t x = alongX ? major : minor, y = alongX ? minor : major;
        if (x < 0 || x >= kGraphWidth || y < 0 || y >= kGraphHeight) continue;
        pixels.push_back(GraphPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)});
    }
    return pixels;
}

std::vector<GraphPoint> PolylinePixels(const Polyline& line) {
    std::vector<GraphPoint> pixels;
    for (std::size_t i = 1; i < line.points.size(); ++i) {
        const std::vector<GraphPoint> segment = SegmentPixels(line.points[i - 1], line.points[i]);
        pixels.insert(pixels.end(), segment.begin(), segment.end());
    }
    return pixels;
}

std::vector<Polyline> GraphPolylines(const GraphSeries& s, const GraphChecks& c) {
    struct Entry {
        bool ticked;
        const RecordSeries& series;
        SeriesKind kind;
        bool bright;
    };
    const Entry entries[] = {
        {c.chTotalMozi, s.TotalSeries, SeriesKind::Chars, c.chTotal},
        {c.chTotalMiss, s.TotalSeries, SeriesKind::Misses, c.chTotal},
        {c.chTotalTime, s.TotalSeries, SeriesKind::Seconds, c.chTotal},
        {c.chFileMozi, s.FileSeries, SeriesKind::Chars, c.chFile},
        {c.chFileMiss, s.FileSeries, SeriesKind::Misses, c.chFile},
        {c.chFileTime, s.FileSeries, SeriesKind::Seconds, c.chFile},
    };
    std::vector<Polyline> lines;
    for (const Entry& e : entries) {
        if (e.ticked) lines.push_back(SeriesPolyline(e.series, e.kind, e.bright));
    }
    return lines;
}

NameBox GraphNameBox(const GraphChecks& checks) {
    NameBox box;
    box.shown = checks.CheckFileName;
    return box;
}

void PictureDrag::MouseDown(int32_t x, int32_t y) {
    Dragging = 1;
    DragX = x;
    DragY = y;
}

ScrollPosition PictureDrag::MouseMove(int32_t x, int32_t y, ScrollPosition at, bool zoomed) const {
    if (!zoomed || Dragging == 0) return at;
    // The picture moves with its scroll position: moving it by the mouse's distance from the
    // point it went down on brings that point back under the mouse.
    at.v += DragY - y;
    at.h += DragX - x;
    return at;
}

std::string ExportFileName(const LocalTime& at) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%02d%02d.bmp", at.month % 100, at.day % 100,
                  at.hour % 100, at.minute % 100);
    return name;
}

namespace {

// An entry of folder whose name equals name in ASCII letters of any case, the exact name
// first; the first in name order when several differ only in case.
// The names are those the folder lists: on a file system that ignores case (Windows) the
// asked name would also open System\GLAPH.BMP, under the wrong name.
std::optional<fs::path> EntryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    std::optional<fs::path> found;
    std::string foundName;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::u8string u8 = it->path().filename().u8string();
        const std::string entry(u8.begin(), u8.end());
        if (entry == name) return it->path();
        if (entry.size() != name.size() || !FoldedEqual(entry, name)) continue;
        if (!found || entry < foundName) {
            found = it->path();
            foundName = entry;
        }
    }
    if (!found && fs::exists(folder / name, ec)) return folder / name;  // there, though not listed
    return found;
}

}  // namespace

BackgroundLookup FindGraphBackground(const fs::path& baseDir) {
    BackgroundLookup lookup{baseDir / "system" / "Glaph.bmp", false};
    const std::optional<fs::path> folder = EntryIgnoringCase(baseDir, "system");
    if (!folder) return lookup;
    const std::optional<fs::path> file = EntryIgnoringCase(*folder, "Glaph.bmp");
    std::error_code ec;
    if (!file || fs::is_directory(*file, ec)) return lookup;
    return BackgroundLookup{*file, true};
}

}  // namespace kotopa
