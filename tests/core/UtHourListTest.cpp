// The three rules every report reads from the UT-hour list: the gap rule, the
// noise rule and the UT shift, each at its edges.

#include "hourly/UtHourList.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <tuple>

namespace {

// The UT calendar fields of the list's only hour.
std::optional<std::tuple<std::int64_t, int, int, int>> utOf(std::string_view localTime,
                                                            std::int32_t shift) {
    Hours hours;
    hours.hour(localTime, 1, 60);
    const std::optional<CalendarHour> c = hours.list(shift, 20).hours().at(0).utCalendar();
    if (!c) {
        return std::nullopt;
    }
    return std::tuple{c->year, c->month, c->day, c->hour};
}

} // namespace

TEST(hourState, GapRuleTakesOnlyHoursOfGapSlots) {
    Hours hours;
    for (int m = 0; m < 6; ++m) {
        hours.gap("2005/01/01 02:" + std::to_string(m) + "0");
    }
    hours.gap("2005/01/01 03:00"); // gap slots and half an hour observed
    hours.hour("2005/01/01 03:10", 1, 30);
    hours.gap("2005/01/01 04:00"); // gap slots and other data without minutes
    hours.hour("2005/01/01 04:10", 0, 0, "xy", 0, 4);
    hours.hour("2005/01/01 05:00", 0, 0, "", 0, 4); // other data alone
    for (std::int32_t threshold : {20, 0, -1}) {
        SCOPED_TRACE(threshold);
        const UtHourList list = hours.list(-9, threshold);
        ASSERT_EQ(list.hours().size(), 4u);
        EXPECT_EQ(list.hours()[0].state, HourState::Gap);
        EXPECT_NE(list.hours()[1].state, HourState::Gap);
        EXPECT_NE(list.hours()[2].state, HourState::Gap);
        EXPECT_NE(list.hours()[3].state, HourState::Gap);
    }
    EXPECT_EQ(hours.list(0, 0).hours()[3].state, HourState::BelowNoise);
    EXPECT_EQ(hours.list(0, -1).hours()[3].state, HourState::Observed);
}

TEST(hourState, NoiseRuleAtTheThresholdAndOneMinuteAbove) {
    for (const auto& [threshold, minutes, state] :
         {std::tuple{20, 20, HourState::BelowNoise}, std::tuple{20, 21, HourState::Observed},
          std::tuple{0, 0, HourState::BelowNoise}, std::tuple{0, 1, HourState::Observed},
          std::tuple{60, 60, HourState::BelowNoise}, std::tuple{60, 61, HourState::Observed}}) {
        HourRow row;
        row.echo = 5;
        row.observedMinutes = minutes;
        EXPECT_EQ(hourState(row, threshold), state) << threshold << " " << minutes;
    }
    // The same hours under another threshold, without building them again.
    Hours hours;
    hours.hour("2005/01/01 05:00", 5, 30);
    const UtHourList list = hours.list(0, 20);
    EXPECT_EQ(list.hours()[0].state, HourState::Observed);
    const UtHourList stricter = list.withRules(-9, 30);
    EXPECT_EQ(stricter.hours()[0].state, HourState::BelowNoise);
    EXPECT_EQ(stricter.hours()[0].row, list.hours()[0].row);
    EXPECT_EQ(stricter.utOffsetHours(), -9);
    EXPECT_EQ(stricter.noiseMinutes(), 30);
}

TEST(UtHourList, ShiftAcrossADayAMonthAndAYear) {
    using T = std::tuple<std::int64_t, int, int, int>;
    EXPECT_EQ(utOf("2006/03/05 08:00", -9), (T{2006, 3, 4, 23}));
    EXPECT_EQ(utOf("2006/03/05 09:00", -9), (T{2006, 3, 5, 0}));
    EXPECT_EQ(utOf("2006/03/01 08:00", -9), (T{2006, 2, 28, 23}));
    EXPECT_EQ(utOf("2024/03/01 08:00", -9), (T{2024, 2, 29, 23}));
    EXPECT_EQ(utOf("2006/01/01 08:00", -9), (T{2005, 12, 31, 23}));
    EXPECT_EQ(utOf("2005/12/31 19:00", 5), (T{2006, 1, 1, 0}));
    EXPECT_EQ(utOf("2005/12/31 18:00", 5), (T{2005, 12, 31, 23}));
    EXPECT_EQ(utOf("2006/01/01 00:00", 0), (T{2006, 1, 1, 0}));
}

// A settings file may hold any 32-bit time zone: the UT hour is then far
// outside the years 1 to 9999 and has no calendar month, while its local
// hour, rate and state stay as they are.
TEST(UtHourList, ExtremeStoredTimeZones) {
    using T = std::tuple<std::int64_t, int, int, int>;
    EXPECT_EQ(utOf("9999/12/31 23:00", -1), (T{9999, 12, 31, 22}));
    EXPECT_EQ(utOf("9999/12/31 23:00", 1), std::nullopt);
    EXPECT_EQ(utOf("0001/01/01 00:00", 0), (T{1, 1, 1, 0}));
    EXPECT_EQ(utOf("0001/01/01 00:00", -1), std::nullopt);
    Hours hours;
    hours.hour("2004/01/05 09:00", 12, 45);
    for (std::int32_t shift : {INT32_MAX, INT32_MIN, 100'000'000, -100'000'000}) {
        SCOPED_TRACE(shift);
        const UtHourList list = hours.list(shift, 20);
        const UtHour& h = list.hours().at(0);
        EXPECT_EQ(h.ut - h.local(), std::chrono::hours{shift});
        EXPECT_EQ(h.local(), hourOf(timeOf("2004/01/05 09:00")));
        EXPECT_FALSE(h.utCalendar());
        EXPECT_EQ(h.state, HourState::Observed);
        EXPECT_DOUBLE_EQ(h.rate(), 16.0);
    }
}

TEST(UtHourList, NoHours) {
    const UtHourList none;
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(none.table().empty());
    EXPECT_TRUE(Hours().list(-9, 20).hours().empty());
}
