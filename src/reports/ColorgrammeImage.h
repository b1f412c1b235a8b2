#pragma once
// Drawing of a colorgramme month into an RGB raster, and its PNG export. Every
// month is drawn at the same size and place: a title, the grid of 31 day
// columns by 24 UT hour rows (0h at the top), day and hour labels, and a scale
// bar labelled 0, max/2 and max. The window shows the raster as it is and maps
// mouse positions back with colorgrammeSquareAt; the output writer writes
// one file per month.

#include "reports/Colorgramme.h"
#include "shared/RgbImage.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr Rgb kColorgrammeUnobserved{0, 0, 0};
inline constexpr Rgb kColorgrammeNoise{150, 150, 150};
inline constexpr Rgb kColorgrammeOverflowMark{255, 255, 255}; // on values above a fixed maximum
inline constexpr Rgb kColorgrammeBackground{255, 255, 255};
inline constexpr Rgb kColorgrammeText{0, 0, 0};

// The colour of a value on the continuous scale blue (0), cyan, green, yellow,
// red (maximum). Values outside 0..maximum take the end colours. With a
// maximum of zero or less, values above zero are red and the rest blue.
Rgb colourForValue(double value, double maximum);

// The colour of a cell: its scale colour when observed, grey for noise,
// black when unobserved.
Rgb colorgrammeCellColour(const ColorgrammeCell& cell, double maximum);

// The maximum the picture is drawn with: a manual maximum when it is a
// positive finite number, else the month's largest value (at least 1, so an
// all-zero month still has a scale).
double colorgrammeScaleMaximum(const ColorgrammeMonth& month, std::optional<double> manualMaximum);

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct DayHour {
    int day = 0;  // 1 to 31
    int hour = 0; // UT, 0 to 23
    friend bool operator==(const DayHour&, const DayHour&) = default;
};

inline constexpr int kColorgrammeImageWidth = 589;
inline constexpr int kColorgrammeImageHeight = 414;

// Where the square of a day (1 to 31) and UT hour (0 to 23) is drawn.
PixelRect colorgrammeSquare(int day, int hour);
// Where the colour bar of the scale is drawn (maximum in the top row, 0 in the
// bottom row).
PixelRect colorgrammeScaleBar();
// The grid cell under a pixel (squares and the one-pixel gaps after them);
// nothing outside the grid. The day may lie past the month's last day.
std::optional<DayHour> colorgrammeSquareAt(int x, int y);

// Draws the month: observed hours in their scale colour, noise grey,
// unobserved black, days past the month's end left blank. With a manual
// maximum, values above it are drawn red with a small white cross and the
// scale's top label reads "max+".
RgbImage renderColorgramme(const ColorgrammeMonth& month, std::optional<double> manualMaximum);

// "colorgramme_YYYYMM.png".
std::string colorgrammeFileName(int year, int month);
