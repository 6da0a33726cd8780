// Windows bitmap files (BMP) of 24 bits per pixel, as the graph's picture is exported and
// its delivered background is made: a 54-byte header, then the rows from the bottom up,
// each pixel blue, green, red, each row padded with zeros to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kotopa {

// The file's bytes for a picture of width × height pixels given as rows from the top down,
// each row width × 3 bytes red, green, blue, one row every stride bytes from rgb.
std::string EncodeBmp24(int width, int height, const uint8_t* rgb, std::size_t stride);

}  // namespace kotopa
