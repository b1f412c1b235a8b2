#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ColorgrammeFixture : ::testing::Test {
    Hours data;
    std::int32_t rtz = -9;
    std::int32_t noiseMinutes = 20;

    void add(std::string_view time, std::int64_t echo, std::int64_t obs,
             std::string_view remark = {}) {
        data.hour(time, echo, obs, remark);
    }
    std::vector<ColorgrammeMonth> build() const {
        return buildColorgrammes(data.list(rtz, noiseMinutes));
    }
};

std::optional<Hour> localHour(std::string_view time) {
    return hourOf(timeOf(time));
}

int countState(const ColorgrammeMonth& m, CellState state) {
    int n = 0;
    for (const auto& day : m.cells) {
        for (const ColorgrammeCell& c : day) {
            n += c.state == state ? 1 : 0;
        }
    }
    return n;
}

} // namespace

using BuildColorgrammes = ColorgrammeFixture;

TEST_F(BuildColorgrammes, TimeZoneShiftCrossesTheMonthBoundary) {
    add("2024/02/01 05:00", 30, 60);      // UT 2024-01-31 20h
    add("2024/02/01 09:00", 10, 60);      // UT 2024-02-01 00h
    add("2024/02/01 10:00", 5, 20, "ab"); // at the threshold: noise
    data.gap("2024/02/01 11:00");         // gap slots only: unobserved
    const auto months = build();
    ASSERT_EQ(months.size(), 2u);

    const ColorgrammeMonth& jan = months[0];
    EXPECT_EQ(jan.year, 2024);
    EXPECT_EQ(jan.month, 1);
    EXPECT_EQ(jan.daysInMonth, 31);
    const ColorgrammeCell& c = jan.cell(31, 20);
    EXPECT_EQ(c.state, CellState::Observed);
    EXPECT_EQ(c.value, 30);
    EXPECT_EQ(c.localHour, localHour("2024/02/01 05:00"));
    EXPECT_EQ(c.observedMinutes, 60);
    EXPECT_EQ(countState(jan, CellState::Observed), 1);
    EXPECT_EQ(countState(jan, CellState::Noise), 0);
    EXPECT_EQ(jan.maximum, 30);
    EXPECT_EQ(jan.dailyTotals[30], 30);

    const ColorgrammeMonth& feb = months[1];
    EXPECT_EQ(feb.month, 2);
    EXPECT_EQ(feb.daysInMonth, 29);
    EXPECT_EQ(feb.cell(1, 0).state, CellState::Observed);
    EXPECT_EQ(feb.cell(1, 0).value, 10);
    EXPECT_EQ(feb.cell(1, 1).state, CellState::Noise);
    EXPECT_EQ(feb.cell(1, 1).value, 0);
    EXPECT_EQ(feb.cell(1, 1).observedMinutes, 20);
    EXPECT_EQ(feb.cell(1, 1).remark, "ab");
    EXPECT_EQ(feb.cell(1, 2).state, CellState::Unobserved);
    EXPECT_EQ(feb.cell(1, 2).remark, "");
    // Hours without rows still know their local hour; days past the month's end
    // have none.
    EXPECT_EQ(feb.cell(1, 3).localHour, localHour("2024/02/01 12:00"));
    EXPECT_EQ(feb.cell(29, 23).localHour, localHour("2024/03/01 08:00"));
    EXPECT_EQ(feb.cell(30, 0).localHour, std::nullopt);
    EXPECT_EQ(feb.maximum, 10);
    EXPECT_EQ(feb.dailyTotals[0], 10);
    EXPECT_THROW(feb.cell(32, 0), std::out_of_range);
    EXPECT_THROW(feb.cell(1, 24), std::out_of_range);
}

TEST_F(BuildColorgrammes, RoundedValuesMaximumAndDailyTotals) {
    rtz = 0;
    add("2024/03/02 00:00", 3, 40);   // 4.5 rounds to 5
    add("2024/03/02 01:00", 5, 45);   // 6.67 rounds to 7
    add("2024/03/02 02:00", 100, 10); // rate 600 but noise: not counted
    add("2024/03/03 05:00", 12, 60);
    add("2024/03/03 06:00", 0, 60); // observed, zero echoes
    const auto months = build();
    ASSERT_EQ(months.size(), 1u);
    const ColorgrammeMonth& m = months[0];
    EXPECT_EQ(m.cell(2, 0).value, 5);
    EXPECT_EQ(m.cell(2, 1).value, 7);
    EXPECT_EQ(m.cell(2, 2).state, CellState::Noise);
    EXPECT_EQ(m.cell(3, 6).state, CellState::Observed);
    EXPECT_EQ(m.cell(3, 6).value, 0);
    EXPECT_EQ(m.maximum, 12);
    EXPECT_EQ(m.dailyTotals[0], 0);
    EXPECT_EQ(m.dailyTotals[1], 12);
    EXPECT_EQ(m.dailyTotals[2], 12);
}

TEST_F(BuildColorgrammes, MonthsAreKeyedByYearAndSorted) {
    rtz = 0;
    add("2025/01/10 00:00", 3, 60);
    add("2024/01/10 00:00", 4, 60);
    data.gap("2024/03/01 00:00"); // a month of gap slots is listed, all black
    const auto months = build();
    ASSERT_EQ(months.size(), 3u);
    EXPECT_EQ(std::make_pair(months[0].year, months[0].month), std::make_pair(2024, 1));
    EXPECT_EQ(std::make_pair(months[1].year, months[1].month), std::make_pair(2024, 3));
    EXPECT_EQ(std::make_pair(months[2].year, months[2].month), std::make_pair(2025, 1));
    EXPECT_EQ(months[0].cell(10, 0).value, 4);
    EXPECT_EQ(months[2].cell(10, 0).value, 3);
    EXPECT_EQ(countState(months[1], CellState::Unobserved), 31 * 24);
    EXPECT_TRUE(buildColorgrammes(UtHourList()).empty());
}

TEST(colourForValue, ScaleStopsAndClamping) {
    EXPECT_EQ(colourForValue(0, 100), (Rgb{0, 0, 255}));
    EXPECT_EQ(colourForValue(25, 100), (Rgb{0, 255, 255}));
    EXPECT_EQ(colourForValue(50, 100), (Rgb{0, 255, 0}));
    EXPECT_EQ(colourForValue(75, 100), (Rgb{255, 255, 0}));
    EXPECT_EQ(colourForValue(100, 100), (Rgb{255, 0, 0}));
    EXPECT_EQ(colourForValue(12.5, 100), (Rgb{0, 128, 255}));
    EXPECT_EQ(colourForValue(250, 100), (Rgb{255, 0, 0}));
    EXPECT_EQ(colourForValue(-5, 100), (Rgb{0, 0, 255}));
    EXPECT_EQ(colourForValue(std::nan(""), 100), (Rgb{0, 0, 255}));
    EXPECT_EQ(colourForValue(0, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(colourForValue(3, 0), (Rgb{255, 0, 0}));
}

TEST(colorgrammeSquareAt, InvertsTheSquares) {
    for (int day : {1, 17, 31}) {
        for (int hour : {0, 11, 23}) {
            const PixelRect r = colorgrammeSquare(day, hour);
            EXPECT_EQ(colorgrammeSquareAt(r.x, r.y), (DayHour{day, hour}));
            EXPECT_EQ(colorgrammeSquareAt(r.x + r.width - 1, r.y + r.height - 1),
                      (DayHour{day, hour}));
        }
    }
    const PixelRect first = colorgrammeSquare(1, 0);
    const PixelRect last = colorgrammeSquare(31, 23);
    EXPECT_FALSE(colorgrammeSquareAt(first.x - 1, first.y));
    EXPECT_FALSE(colorgrammeSquareAt(first.x, first.y - 1));
    EXPECT_FALSE(colorgrammeSquareAt(last.x + last.width + 1, last.y));
    EXPECT_FALSE(colorgrammeSquareAt(last.x, last.y + last.height + 1));
}

namespace {

Rgb centreOf(const RgbImage& img, int day, int hour) {
    const PixelRect r = colorgrammeSquare(day, hour);
    return img.pixel(r.x + r.width / 2, r.y + r.height / 2);
}

Rgb cornerOf(const RgbImage& img, int day, int hour) {
    const PixelRect r = colorgrammeSquare(day, hour);
    return img.pixel(r.x + 1, r.y + 1);
}

ColorgrammeMonth february() {
    ColorgrammeMonth m;
    m.year = 2023;
    m.month = 2;
    m.daysInMonth = 28;
    auto set = [&m](int day, int hour, CellState state, std::int64_t value) {
        m.cells[static_cast<size_t>(day - 1)][static_cast<size_t>(hour)].state = state;
        m.cells[static_cast<size_t>(day - 1)][static_cast<size_t>(hour)].value = value;
    };
    set(3, 5, CellState::Observed, 40);
    set(3, 6, CellState::Noise, 0);
    set(5, 0, CellState::Observed, 0);
    set(6, 0, CellState::Observed, 20);
    set(28, 23, CellState::Observed, 10);
    m.maximum = 40;
    return m;
}

} // namespace

TEST(renderColorgramme, AutomaticMaximum) {
    const RgbImage img = renderColorgramme(february(), std::nullopt);
    ASSERT_EQ(img.width(), kColorgrammeImageWidth);
    ASSERT_EQ(img.height(), kColorgrammeImageHeight);
    ASSERT_EQ(img.bytes().size(), static_cast<size_t>(img.width() * img.height() * 3));
    EXPECT_EQ(centreOf(img, 3, 5), (Rgb{255, 0, 0}));
    EXPECT_EQ(centreOf(img, 3, 6), kColorgrammeNoise);
    EXPECT_EQ(centreOf(img, 4, 0), kColorgrammeUnobserved);
    EXPECT_EQ(centreOf(img, 5, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(centreOf(img, 6, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(centreOf(img, 28, 23), colourForValue(10, 40));
    // Days past the end of February are left blank, and so are the gaps.
    EXPECT_EQ(centreOf(img, 29, 0), kColorgrammeBackground);
    EXPECT_EQ(centreOf(img, 31, 23), kColorgrammeBackground);
    const PixelRect sq = colorgrammeSquare(4, 0);
    EXPECT_EQ(img.pixel(sq.x + sq.width, sq.y), kColorgrammeBackground);
    EXPECT_EQ(img.pixel(sq.x, sq.y + sq.height), kColorgrammeBackground);

    const PixelRect bar = colorgrammeScaleBar();
    EXPECT_EQ(img.pixel(bar.x + 1, bar.y), (Rgb{255, 0, 0}));
    EXPECT_EQ(img.pixel(bar.x + 1, bar.y + (bar.height - 1) / 2), (Rgb{0, 255, 0}));
    EXPECT_EQ(img.pixel(bar.x + 1, bar.y + bar.height - 1), (Rgb{0, 0, 255}));

    // The title and the labels put text on the canvas above and below the grid.
    int titleInk = 0, dayInk = 0;
    const int gridTop = colorgrammeSquare(1, 0).y;
    const int gridBottom = colorgrammeSquare(1, 23).y + 15;
    for (int x = 0; x < img.width(); ++x) {
        for (int y = 0; y < gridTop; ++y) {
            titleInk += img.pixel(x, y) == kColorgrammeText ? 1 : 0;
        }
        for (int y = gridBottom; y < img.height(); ++y) {
            dayInk += img.pixel(x, y) == kColorgrammeText ? 1 : 0;
        }
    }
    EXPECT_GT(titleInk, 50);
    EXPECT_GT(dayInk, 50);
}

TEST(renderColorgramme, ManualMaximumMarksValuesAbove) {
    const RgbImage img = renderColorgramme(february(), 20.0);
    EXPECT_EQ(cornerOf(img, 3, 5), (Rgb{255, 0, 0}));
    EXPECT_EQ(centreOf(img, 3, 5), kColorgrammeOverflowMark);
    EXPECT_EQ(centreOf(img, 6, 0), (Rgb{255, 0, 0})); // at the maximum: not above it
    EXPECT_EQ(centreOf(img, 28, 23), (Rgb{0, 255, 0}));
    // A maximum that is no positive number falls back to the automatic one.
    const RgbImage fallback = renderColorgramme(february(), 0.0);
    EXPECT_EQ(centreOf(fallback, 3, 5), (Rgb{255, 0, 0}));
    EXPECT_EQ(centreOf(fallback, 6, 0), (Rgb{0, 255, 0}));
}

TEST(renderColorgramme, EmptyMonthStillHasAScale) {
    ColorgrammeMonth m;
    m.year = 2024;
    m.month = 4;
    m.daysInMonth = 30;
    EXPECT_EQ(colorgrammeScaleMaximum(m, std::nullopt), 1.0);
    const RgbImage img = renderColorgramme(m, std::nullopt);
    EXPECT_EQ(centreOf(img, 30, 23), kColorgrammeUnobserved);
    EXPECT_EQ(centreOf(img, 31, 23), kColorgrammeBackground);
}

TEST(colorgrammeFileName, YearAndMonthDigits) {
    EXPECT_EQ(colorgrammeFileName(2024, 1), "colorgramme_202401.png");
    EXPECT_EQ(colorgrammeFileName(987, 12), "colorgramme_098712.png");
}
