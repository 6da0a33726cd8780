// The graph of the recorded plays as pure geometry: the series read from the two record
// lists, and what the graph window paints of them over its background — up to six
// polylines in the picture's pixels and the box with the Act's name — together with the
// rules of its controls (group toggles, drag scrolling, the export's file name). Nothing
// here draws; the window paints what these functions return.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "results.h"

namespace kotopa {

// One play of a record list; -1 stands for no data.
struct RecordPoint {
    int32_t Chars = -1;    // characters per minute
    int32_t Misses = -1;   // mistypes
    int32_t Seconds = -1;  // duration of the play
    bool operator==(const RecordPoint&) const = default;
};

// The plays of one record list, the oldest at index 0.
using RecordSeries = std::array<RecordPoint, kRecordListLimit>;

// Both reports of the window: all Acts (record.lst) and the current Act's list.
struct GraphSeries {
    RecordSeries TotalSeries;
    RecordSeries FileSeries;
};

// A field as a decimal 32-bit integer with an optional sign; -1 for anything else.
int32_t RecordFieldValue(std::string_view field);

// The series of one list: line i gives entry i. Its fields are split as a key file's stored
// values are (SplitStoredValue: at blanks and commas, quoted fields whole); field 1 is the
// seconds, 2 the characters per minute, 3 the mistypes, and a missing field is no data. A list
// edited by hand to more than 150 lines shows its newest 150.
RecordSeries SeriesFromRecords(const std::vector<std::string>& lines);

GraphSeries LoadSeries(const std::vector<std::string>& totalRecords,
                       const std::vector<std::string>& actRecords);

// The picture and its scales: plays from x = 10 in steps of 2 above the baseline y = 180.
inline constexpr int kGraphWidth = 310;
inline constexpr int kGraphHeight = 190;
inline constexpr int kGraphBaseline = 180;
inline constexpr int kGraphFirstX = 10;
inline constexpr int kGraphStepX = 2;
inline constexpr int kGraphZoom = 2;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

enum class SeriesKind { Chars, Misses, Seconds };

// The tick states of the window's nine check boxes, as the window opens.
struct GraphChecks {
    bool chTotal = true;  // "明るく表示" of the total report
    bool chTotalMozi = false;
    bool chTotalMiss = false;
    bool chTotalTime = false;
    bool chFile = true;  // "明るく表示" of the file report
    bool chFileMozi = true;
    bool chFileMiss = true;
    bool chFileTime = true;
    bool CheckFileName = true;
    bool operator==(const GraphChecks&) const = default;

    // A group's double-click: a ticked "明るく表示" clears the whole group, a clear one
    // ticks all four boxes, whatever the series boxes showed.
    void ToggleTotal();
    void ToggleFile();
};

struct GraphPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const GraphPoint&) const = default;
};

// A pen colour and the points a 1-pixel line joins, in order.
struct Polyline {
    Rgb colour;
    std::vector<GraphPoint> points;
};

// The height above the baseline of a value: v div 2 characters per minute or seconds,
// v × 2 mistypes (so a mistype weighs four characters per minute). Values beyond any
// picture are held at a height far above its top, so that a line towards them still
// leaves the picture at the right place.
int32_t SeriesHeight(SeriesKind kind, int32_t value);

Rgb SeriesColour(SeriesKind kind, bool bright);

// One series: from (0, 180) through the point of every play with a value above 0; plays
// without one are passed over, the line going on from the last point drawn.
Polyline SeriesPolyline(const RecordSeries& series, SeriesKind kind, bool bright);

// The pixels of the picture that a 1-pixel line from a to b paints, in order from a: one for
// every step along the longer axis, the one nearest the exact line (a half step rounds away
// from a), both ends included, so that every vertex of a polyline is painted and no pixel
// falls beyond its points. Pixels outside the picture are left out.
std::vector<GraphPoint> SegmentPixels(GraphPoint a, GraphPoint b);

// Every pixel of the picture a polyline paints, segment after segment.
std::vector<GraphPoint> PolylinePixels(const Polyline& line);

// The ticked series in drawing order (total characters, mistypes, time, then the same of
// the file report), so that the file report lies over the total report.
std::vector<Polyline> GraphPolylines(const GraphSeries& series, const GraphChecks& checks);

// The Act's name in the top-left corner: a solid black box under a grey copy of the name
// one pixel to the right, and the name in white over both, 12 pixels high.
struct NameBox {
    bool shown = false;
    GraphPoint shadowAt{1, 0};  // the box and the grey copy start here
    GraphPoint textAt{0, 0};
    Rgb box{0, 0, 0};
    Rgb shadow{0x80, 0x80, 0x80};
    Rgb text{0xFF, 0xFF, 0xFF};
    int pixelHeight = 12;
};
NameBox GraphNameBox(const GraphChecks& checks);

// Scroll positions of the zoomed picture.
struct ScrollPosition {
    int32_t h = 0;
    int32_t v = 0;
    bool operator==(const ScrollPosition&) const = default;
};

// Dragging the zoomed picture with the mouse. The picture follows the hand: the point under
// the mouse at the mouse-down stays under it, the scroll positions moving by the distance
// from that point (the scroll bars keep them within their range).
struct PictureDrag {
    int32_t DragX = 0;
    int32_t DragY = 0;
    int32_t Dragging = 0;

    void MouseDown(int32_t x, int32_t y);
    void MouseUp() { Dragging = 0; }
    // The positions after a move to (x, y) in the picture's coordinates; unchanged unless
    // zoomed and a button is held.
    ScrollPosition MouseMove(int32_t x, int32_t y, ScrollPosition at, bool zoomed) const;
};

// The proposed name of an exported picture: "mmddhhnn.bmp" from the local time.
std::string ExportFileName(const LocalTime& at);

// The background picture baseDir/system/Glaph.bmp, found whatever the case of the folder's
// and the file's names. When none is there: found is false and path the expected place.
struct BackgroundLookup {
    std::filesystem::path path;
    bool found = false;
};
BackgroundLookup FindGraphBackground(const std::filesystem::path& baseDir);

// The background is 310 x 190 pixels, some 180 KB; no bitmap larger than this is read.
inline constexpr std::uintmax_t kBackgroundFileLimit = 16 * kMiB;

}  // namespace kotopa
