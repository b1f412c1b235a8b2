#pragma once
// The colorgramme model: each UT month of the hour rows as a grid of days by UT
// hours, holding exactly what the first RMOB table shows for each hour. The
// rows are shifted to UT and their cells decided by the same rules as that
// table, so the picture and the table never disagree. Unlike the table, months
// are told apart by year as well as by month number.
//
// Callers build the months once per recompute (buildColorgrammes) and draw or
// inspect them afterwards; the model holds no links into the hour list.

#include "config/Settings.h"
#include "hourly/HourTable.h"

#include <array>
#include <cstdint>
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
    std::string localKey;             // local hour key "yyyymmddhh" of this UT hour
    std::int64_t observedMinutes = 0; // observed minutes of the hour row; 0 without one
    std::string remark;               // the hour row's remark (bytes); empty without one
};

constexpr int kColorgrammeDays = 31;
constexpr int kColorgrammeHours = 24;

struct ColorgrammeMonth {
    int year = 0;
    int month = 0;        // 1 to 12
    int daysInMonth = 31; // days past it stay Unobserved with an empty LocalKey
    // Cells[day - 1][hour] for UT day 1 to 31 and UT hour 0 to 23.
    std::array<std::array<ColorgrammeCell, kColorgrammeHours>, kColorgrammeDays> cells;
    std::int64_t maximum = 0; // largest Observed value; 0 when none
    // Sum of the Observed values of each day, index day - 1.
    std::array<std::int64_t, kColorgrammeDays> dailyTotals{};

    // The cell of a day (1 to 31) and UT hour (0 to 23); std::out_of_range
    // outside the grid.
    const ColorgrammeCell& cell(int day, int hour) const;
};

// Runs computeRates with cnf.nd (as the RMOB build does), then gathers every UT
// month that an hour row falls in, in ascending order of year and month. A
// month whose rows are all gap slots is still listed, all Unobserved. When
// two rows land on one UT hour, the later row in the list wins.
std::vector<ColorgrammeMonth> buildColorgrammes(HourTable& data, const Settings& cnf);
