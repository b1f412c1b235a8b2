#include "reports/ColorgrammeImage.h"

#include "shared/NumberFormat.h"
#include "shared/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string_view>

namespace {

// Layout in pixels. Everything is fixed so that every month lands on the same
// place and pictures of several months can be laid side by side.
constexpr int kMargin = 10;
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = kGlyphWidth + 1;
constexpr int kTitleScale = 2;
constexpr int kPitch = 15;                            // square plus a one-pixel gap
constexpr int kSquare = 14;                           // drawn part of a square
constexpr int kGridLeft = kMargin + 3 * kAdvance + 4; // room for "23h"
constexpr int kGridTop = kMargin + kGlyphHeight * kTitleScale + 10;
constexpr int kGridRight = kGridLeft + kColorgrammeDays * kPitch;
constexpr int kGridBottom = kGridTop + kColorgrammeHours * kPitch;
constexpr int kBarLeft = kGridRight + 12;
constexpr int kBarWidth = 16;
constexpr int kBarHeight = kColorgrammeHours * kPitch - 1; // odd: one row sits exactly at max/2
constexpr int kLabelLeft = kBarLeft + kBarWidth + 6;
constexpr int kLabelChars = 8;

static_assert(kColorgrammeImageWidth == kLabelLeft + kLabelChars * kAdvance + kMargin);
static_assert(kColorgrammeImageHeight == kGridBottom + 3 + kGlyphHeight + kMargin);

// A 5 x 7 bitmap font of the few characters the picture needs; each row is
// five bits, the highest one leftmost.
struct Glyph {
    char c;
    std::array<std::uint8_t, kGlyphHeight> rows;
};

constexpr std::array<Glyph, 19> kFont = {{
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'h', {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
}};

const Glyph* glyphOf(char c) {
    for (const Glyph& g : kFont) {
        if (g.c == c) {
            return &g;
        }
    }
    return nullptr;
}

int textWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * kAdvance - 1) * scale;
}

// Characters outside the font leave a blank of their width.
void drawText(RgbImage& img, int x, int y, std::string_view text, int scale) {
    for (char c : text) {
        if (const Glyph* g = glyphOf(c)) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int col = 0; col < kGlyphWidth; ++col) {
                    if (g->rows[static_cast<std::size_t>(row)] & (0x10 >> col)) {
                        img.fillRect(x + col * scale, y + row * scale, scale, scale,
                                     kColorgrammeText);
                    }
                }
            }
        }
        x += kAdvance * scale;
    }
}

std::string twoDigits(int v) {
    return {static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// Whole numbers as they are, others with one decimal.
std::string scaleNumber(double v) {
    const std::int64_t tenths = roundHalfAway(v * 10);
    std::string out;
    appendInt(out, tenths / 10);
    if (tenths % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + tenths % 10);
    }
    return out;
}

void drawOverflowMark(RgbImage& img, const PixelRect& r) {
    const int cx = r.x + r.width / 2;
    const int cy = r.y + r.height / 2;
    for (int i = -2; i <= 2; ++i) {
        img.setPixel(cx + i, cy + i, kColorgrammeOverflowMark);
        img.setPixel(cx + i, cy - i, kColorgrammeOverflowMark);
    }
}

// A top label with "+" tells that some values of the month lie above it.
void drawScale(RgbImage& img, double maximum, bool clipped) {
    const PixelRect bar = colorgrammeScaleBar();
    for (int row = 0; row < bar.height; ++row) {
        const double v = maximum * static_cast<double>(bar.height - 1 - row) /
                         static_cast<double>(bar.height - 1);
        img.fillRect(bar.x, bar.y + row, bar.width, 1, colourForValue(v, maximum));
    }
    const int rows[3] = {bar.y, bar.y + (bar.height - 1) / 2, bar.y + bar.height - 1};
    const double values[3] = {maximum, maximum / 2, 0};
    for (int i = 0; i < 3; ++i) {
        img.fillRect(bar.x + bar.width, rows[i], 3, 1, kColorgrammeText);
        const std::string label = scaleNumber(values[i]) + (i == 0 && clipped ? "+" : "");
        const int y =
            std::clamp(rows[i] - kGlyphHeight / 2, bar.y, bar.y + bar.height - kGlyphHeight);
        drawText(img, kLabelLeft, y, label.substr(0, kLabelChars), 1);
    }
}

} // namespace

Rgb colourForValue(double value, double maximum) {
    static constexpr std::array<Rgb, 5> kStops = {Rgb{0, 0, 255}, Rgb{0, 255, 255}, Rgb{0, 255, 0},
                                                  Rgb{255, 255, 0}, Rgb{255, 0, 0}};
    double t = 0;
    if (maximum > 0) {
        t = value / maximum;
    } else if (value > 0) {
        t = 1;
    }
    if (!(t > 0)) { // also NaN
        t = 0;
    }
    t = std::min(t, 1.0);
    const double s = t * 4;
    const int i = std::min(static_cast<int>(s), 3);
    const double f = s - i;
    const Rgb a = kStops[static_cast<std::size_t>(i)];
    const Rgb b = kStops[static_cast<std::size_t>(i + 1)];
    auto mix = [f](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::uint8_t>(std::lround(from + (to - from) * f));
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Rgb colorgrammeCellColour(const ColorgrammeCell& cell, double maximum) {
    switch (cell.state) {
    case CellState::Noise:
        return kColorgrammeNoise;
    case CellState::Observed:
        return colourForValue(static_cast<double>(cell.value), maximum);
    case CellState::Unobserved:
        break;
    }
    return kColorgrammeUnobserved;
}

double colorgrammeScaleMaximum(const ColorgrammeMonth& month, std::optional<double> manualMaximum) {
    if (manualMaximum && std::isfinite(*manualMaximum) && *manualMaximum > 0) {
        return *manualMaximum;
    }
    return static_cast<double>(std::max<std::int64_t>(month.maximum, 1));
}

PixelRect colorgrammeSquare(int day, int hour) {
    return {kGridLeft + (day - 1) * kPitch, kGridTop + hour * kPitch, kSquare, kSquare};
}

PixelRect colorgrammeScaleBar() {
    return {kBarLeft, kGridTop, kBarWidth, kBarHeight};
}

std::optional<DayHour> colorgrammeSquareAt(int x, int y) {
    if (x < kGridLeft || y < kGridTop || x >= kGridRight || y >= kGridBottom) {
        return std::nullopt;
    }
    return DayHour{(x - kGridLeft) / kPitch + 1, (y - kGridTop) / kPitch};
}

RgbImage renderColorgramme(const ColorgrammeMonth& month, std::optional<double> manualMaximum) {
    RgbImage img(kColorgrammeImageWidth, kColorgrammeImageHeight, kColorgrammeBackground);
    const double maximum = colorgrammeScaleMaximum(month, manualMaximum);

    std::string title;
    appendInt(title, month.year);
    title += '-';
    title += twoDigits(month.month);
    title += " UT";
    drawText(img, kGridLeft, kMargin, title, kTitleScale);

    for (int hour = 0; hour < kColorgrammeHours; ++hour) {
        const std::string label = std::to_string(hour) + "h";
        const PixelRect r = colorgrammeSquare(1, hour);
        drawText(img, kGridLeft - 4 - textWidth(label, 1), r.y + (kSquare - kGlyphHeight) / 2,
                 label, 1);
    }
    const int days = std::clamp(month.daysInMonth, 0, kColorgrammeDays);
    for (int day = 1; day <= days; ++day) {
        const std::string label = std::to_string(day);
        const PixelRect r = colorgrammeSquare(day, 0);
        drawText(img, r.x + (kSquare - textWidth(label, 1) + 1) / 2, kGridBottom + 3, label, 1);
        for (int hour = 0; hour < kColorgrammeHours; ++hour) {
            const ColorgrammeCell& c = month.cell(day, hour);
            const PixelRect sq = colorgrammeSquare(day, hour);
            const Rgb colour = colorgrammeCellColour(c, maximum);
            img.fillRect(sq.x, sq.y, sq.width, sq.height, colour);
            if (c.state == CellState::Observed && static_cast<double>(c.value) > maximum) {
                drawOverflowMark(img, sq);
            }
        }
    }
    drawScale(img, maximum, static_cast<double>(month.maximum) > maximum);
    return img;
}

std::string colorgrammeFileName(int year, int month) {
    std::string name = "colorgramme_";
    const std::string y = std::to_string(year);
    if (y.size() < 4) {
        name.append(4 - y.size(), '0');
    }
    name += y;
    name += twoDigits(month);
    name += ".png";
    return name;
}
