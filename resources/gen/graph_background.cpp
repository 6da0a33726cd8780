#include "graph_background.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bmpfile.h"
#include "graph.h"

namespace kotopa {

namespace {

constexpr int kW = kGraphWidth;
constexpr int kH = kGraphHeight;

class Canvas {
  public:
    Canvas() : pixels_(static_cast<std::size_t>(kW * kH * 3)) {}
    void Set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= kW || y >= kH) return;
        uint8_t* p = &pixels_[static_cast<std::size_t>((y * kW + x) * 3)];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    std::string Bmp() const { return EncodeBmp24(kW, kH, pixels_.data(), kW * 3); }

  private:
    std::vector<uint8_t> pixels_;
};

// Digits 3 pixels wide and 5 high, one row of 3 bits per line, the top row first.
constexpr std::array<std::array<uint8_t, 5>, 10> kDigits = {{
    {0b111, 0b101, 0b101, 0b101, 0b111},
    {0b010, 0b110, 0b010, 0b010, 0b111},
    {0b111, 0b001, 0b111, 0b100, 0b111},
    {0b111, 0b001, 0b111, 0b001, 0b111},
    {0b101, 0b101, 0b111, 0b001, 0b001},
    {0b111, 0b100, 0b111, 0b001, 0b111},
    {0b111, 0b100, 0b111, 0b101, 0b111},
    {0b111, 0b001, 0b010, 0b010, 0b010},
    {0b111, 0b101, 0b111, 0b101, 0b111},
    {0b111, 0b101, 0b111, 0b001, 0b111},
}};

constexpr int kDigitAdvance = 4;  // 3 pixels and a gap

int NumberWidth(int n) {
    return static_cast<int>(std::to_string(n).size()) * kDigitAdvance - 1;
}

// A number with its top-left corner at (x, y).
void Number(Canvas& c, int x, int y, int n, Rgb colour) {
    for (char ch : std::to_string(n)) {
        const auto& glyph = kDigits[static_cast<std::size_t>(ch - '0')];
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (glyph[static_cast<std::size_t>(row)] & (4 >> col))
                    c.Set(x + col, y + row, colour);
            }
        }
        x += kDigitAdvance;
    }
}

// The x of play n (1 = the oldest of a full list, 150 the newest).
constexpr int PlayX(int n) {
    return kGraphFirstX + kGraphStepX * (n - 1);
}

constexpr Rgb kTop{22, 26, 40};
constexpr Rgb kBottom{12, 14, 24};
constexpr Rgb kBelowBaseline{8, 9, 15};
constexpr Rgb kGrid{44, 51, 70};
constexpr Rgb kGridMajor{58, 67, 92};
constexpr Rgb kBaseline{112, 120, 144};
constexpr Rgb kScale{128, 136, 160};      // characters per minute and seconds
constexpr Rgb kMissScale{104, 140, 210};  // mistypes, in the blue of their series

uint8_t Mix(uint8_t a, uint8_t b, int num, int den) {
    return static_cast<uint8_t>(a + (b - a) * num / den);
}

}  // namespace

std::string GraphBackgroundBmp() {
    Canvas c;
    // A dark ground, a shade lighter at the top; darker still under the baseline.
    for (int y = 0; y < kH; ++y) {
        const Rgb ground = y > kGraphBaseline ? kBelowBaseline
                                              : Rgb{Mix(kTop.r, kBottom.r, y, kGraphBaseline),
                                                    Mix(kTop.g, kBottom.g, y, kGraphBaseline),
                                                    Mix(kTop.b, kBottom.b, y, kGraphBaseline)};
        for (int x = 0; x < kW; ++x) c.Set(x, y, ground);
    }
    // Every 10 plays a dotted column, every 50 a brighter one, each with a tick under the
    // baseline; the first play's column too.
    for (int n = 0; n <= 150; n += 10) {
        const int x = PlayX(n == 0 ? 1 : n);
        const Rgb colour = n % 50 == 0 ? kGridMajor : kGrid;
        for (int y = 0; y < kGraphBaseline; y += 2) c.Set(x, y, colour);
        for (int y = kGraphBaseline + 1; y <= kGraphBaseline + (n % 50 == 0 ? 3 : 2); ++y)
            c.Set(x, y, kBaseline);
    }
    // Every 30 pixels a dotted row: 60 characters per minute or seconds, 15 mistypes; the
    // numbers just under each row, those of the mistypes at the right edge.
    for (int y = 0; y < kGraphBaseline; y += 30) {
        for (int x = 0; x < kW; x += 2) c.Set(x, y, kGridMajor);
        const int perMinute = (kGraphBaseline - y) * 2;
        const int misses = (kGraphBaseline - y) / 2;
        Number(c, 1, y + 2, perMinute, kScale);
        Number(c, kW - 2 - NumberWidth(misses), y + 2, misses, kMissScale);
    }
    for (int x = 0; x < kW; ++x) c.Set(x, kGraphBaseline, kBaseline);
    // The plays' numbers under the baseline: 1, 50, 100, 150.
    const int bottom = kGraphBaseline + 4;
    Number(c, PlayX(1) - 1, bottom, 1, kScale);
    for (int n : {50, 100}) Number(c, PlayX(n) - NumberWidth(n) / 2, bottom, n, kScale);
    Number(c, kW - 1 - NumberWidth(150), bottom, 150, kScale);
    return c.Bmp();
}

}  // namespace kotopa
