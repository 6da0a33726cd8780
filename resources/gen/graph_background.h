// The graph window's background, system/Glaph.bmp: a dark picture of 310 × 190 pixels with
// the grid and scale marks of the graph's scales (baseline y = 180, plays from x = 10 in
// steps of 2, the top edge 360 characters per minute or seconds and 90 mistypes), drawn
// pixel by pixel so that every build gives the same bytes.
#pragma once

#include <string>

namespace kotopa {

// The BMP file's bytes: 24 bits per pixel, rows from the bottom up.
std::string GraphBackgroundBmp();

}  // namespace kotopa
