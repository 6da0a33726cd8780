// Record lists as the graph reads them: whatever the bytes, every polyline starts on the
// baseline and moves right within the picture's columns, never far beyond its top.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "graph.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = kotopa::SplitLines(bytes);
    const kotopa::GraphSeries series = kotopa::LoadSeries(lines, lines);
    kotopa::GraphChecks all;
    all.chTotalMozi = all.chTotalMiss = all.chTotalTime = true;
    for (const kotopa::Polyline& line : kotopa::GraphPolylines(series, all)) {
        FUZZ_CHECK(line.points.front() == (kotopa::GraphPoint{0, kotopa::kGraphBaseline}));
        for (std::size_t i = 1; i < line.points.size(); ++i) {
            FUZZ_CHECK(line.points[i].x > line.points[i - 1].x);
            FUZZ_CHECK(line.points[i].x <= kotopa::kGraphWidth - 2);
            FUZZ_CHECK(line.points[i].y <= kotopa::kGraphBaseline);
            FUZZ_CHECK(line.points[i].y > -(2 << 20));
        }
    }
    return 0;
}
