#include "bmpfile.h"

namespace kotopa {

namespace {

void Put16(std::string& b, uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

std::string EncodeBmp24(int width, int height, const uint8_t* rgb, std::size_t stride) {
    if (width <= 0 || height <= 0) return {};
    const auto w = static_cast<uint32_t>(width);
    const auto h = static_cast<uint32_t>(height);
    const uint32_t rowBytes = (w * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = rowBytes * h;
    constexpr uint32_t kHeaderBytes = 14 + 40;
    std::string b;
    b.reserve(kHeaderBytes + imageBytes);
    // BITMAPFILEHEADER
    b += "BM";
    Put32(b, kHeaderBytes + imageBytes);
    Put32(b, 0);  // reserved
    Put32(b, kHeaderBytes);
    // BITMAPINFOHEADER: a positive height means the rows run from the bottom up.
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);   // planes
    Put16(b, 24);  // bits per pixel
    Put32(b, 0);   // BI_RGB, uncompressed
    Put32(b, imageBytes);
    Put32(b, 3780);  // 96 dots per inch, in dots per metre
    Put32(b, 3780);
    Put32(b, 0);  // colours used
    Put32(b, 0);  // important colours
    for (uint32_t y = h; y-- > 0;) {
        const uint8_t* row = rgb + static_cast<std::size_t>(y) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            b += static_cast<char>(row[3 * x + 2]);
            b += static_cast<char>(row[3 * x + 1]);
            b += static_cast<char>(row[3 * x]);
        }
        b.append(rowBytes - w * 3, '\0');
    }
    return b;
}

}  // namespace kotopa
