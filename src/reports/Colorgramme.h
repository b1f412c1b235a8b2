#pragma once
// The colorgramme model: each UT month of the hours as a grid of days by UT
// hours, holding exactly what the first RMOB table shows for each hour: both
// read the same UT-hour list, so the picture and the table never disagree.
// Unlike the table, months are told apart by year as well as by month number.
//
// Callers build the months once per run (buildColorgrammes) and draw or
// inspect them afterwards; the model holds no links into the hours.

#include "hourly/UtHourList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CellState : std::uint8_t {
    Unobserved, // no row, or only gap slots: "??? |" in the table
    Noise,      // observed minutes at or below the noise threshold
    Observed,   // above the threshold: Value is the table's number
};

struct ColorgrammeCell {
    CellState state = CellState::Unobserved;
    std::int64_t value = 0;           // the rounded hourly echo rate; 0 unless Observed
    std::optional<Hour> localHour;    // this UT hour in the data file's clock; none past the month
    std::int64_t observedMinutes = 0; // observed minutes of the hour row; 0 without one
    std::string remark;               // the hour row's remark (bytes); empty without one
};

constexpr int kColorgrammeDays = 31;
constexpr int kColorgrammeHours = 24;

struct ColorgrammeMonth {
    int year = 0;
    int month = 0;        // 1 to 12
    int daysInMonth = 31; // days past it stay Unobserved without a local hour
    // Cells[day - 1][hour] for UT day 1 to 31 and UT hour 0 to 23.
    std::array<std::array<ColorgrammeCell, kColorgrammeHours>, kColorgrammeDays> cells;
    std::int64_t maximum = 0; // largest Observed value; 0 when none
    // Sum of the Observed values of each day, index day - 1.
    std::array<std::int64_t, kColorgrammeDays> dailyTotals{};

    // The cell of a day (1 to 31) and UT hour (0 to 23); std::out_of_range
    // outside the grid.
    const ColorgrammeCell& cell(int day, int hour) const;
};

// Every UT month that an hour falls in, in ascending order of year and month;
// hours beyond the year 9999 (or before the year 1) have no month. A month
// whose hours are all gap slots is still listed, all Unobserved.
std::vector<ColorgrammeMonth> buildColorgrammes(const UtHourList& hours);
// Brings months that buildColorgrammes made of an earlier state of the list
// up to date after the list's hours from fromHour on changed (a file that
// grows): only the months from the one of the last unchanged hour on are
// made again. Returns the index of the first month made again.
std::size_t updateColorgrammes(std::vector<ColorgrammeMonth>& months, const UtHourList& hours,
                               std::size_t fromHour);
