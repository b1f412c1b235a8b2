#include "shared/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

namespace {

using namespace std::chrono;

Timestamp at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *makeTimestamp(y, mo, d, h, mi, s);
}

Hour hourAt(int y, int mo, int d, int h) {
    return hourOf(at(y, mo, d, h));
}

// Hours in a Gregorian cycle of 400 years.
constexpr std::int64_t kCycleHours = std::int64_t{146097} * 24;

} // namespace

TEST(parseTimestamp, ReadsDateAndTime) {
    EXPECT_EQ(parseTimestamp("2004/01/05 09:30:00"), at(2004, 1, 5, 9, 30));
    EXPECT_EQ(parseTimestamp("   2004/1/5 9:30"), at(2004, 1, 5, 9, 30));
    EXPECT_EQ(parseTimestamp("2004/01/05"), at(2004, 1, 5));
    EXPECT_EQ(parseTimestamp("2004/01/05 7"), at(2004, 1, 5, 7));
    EXPECT_EQ(parseTimestamp("0001/01/01"), Timestamp{sys_days{year{1} / January / 1}});
    EXPECT_EQ(parseTimestamp("9999/12/31 23:59:59"), at(9999, 12, 31, 23, 59, 59));
    // A time alone lands on the day a recorder's time without a date counts from.
    EXPECT_EQ(parseTimestamp("06:00:00"), at(1899, 12, 30, 6));
    EXPECT_FALSE(parseTimestamp("06:00:00 x"));
}

// Each row one form of the reading: what it gives, or nothing for a text that
// is set aside.
TEST(parseTimestamp, FormsOfTheReading) {
    const struct {
        const char* text;
        std::optional<Timestamp> value;
    } cases[] = {
        // Blanks after a date promise a time.
        {"2004/01/05 ", std::nullopt},
        {"2004/01/05   ", std::nullopt},
        {"  2004/01/05", at(2004, 1, 5)},
        // Hours alone are a time, on their own too.
        {"5", at(1899, 12, 30, 5)},
        {"  23", at(1899, 12, 30, 23)},
        {"5 ", std::nullopt},
        {"24", std::nullopt},
        {"2004/01/05 5 ", at(2004, 1, 5, 5)},
        {"2004/01/05 9:30  ", at(2004, 1, 5, 9, 30)},
        // Any count of digits, leading zeros included.
        {"0000002004/01/05 09:30:00", at(2004, 1, 5, 9, 30)},
        {"2004/0000000001/000000000005 00000000009:000000030", at(2004, 1, 5, 9, 30)},
        {"0000000000000000000005", at(1899, 12, 30, 5)},
        // Past every range: fails, without overflowing on the way.
        {"2004/01/05 99999999999999999999:00", std::nullopt},
        {"99999999999999999999/01/01", std::nullopt},
        {"2004/4294967297/01", std::nullopt},
        // After a complete time the rest is not examined; after a shorter one it is.
        {"2004/01/05 09:30:00.250 extra", at(2004, 1, 5, 9, 30)},
        {"2004/01/05 09:30x", std::nullopt},
        {"2004/01/05x", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseTimestamp(c.text), c.value);
    }
}

TEST(parseTimestamp, RejectsInvalidCalendarAndClock) {
    for (const char* text :
         {"", "     ", "#Time", "2004/02/30", "2003/02/29", "2004/13/01", "2004/00/01",
          "2004/01/05 24:00:00", "2004/01/05 23:60:00", "2004/01/05 23:59:60",
          "2004-01-05 10:00:00", "99999/01/01", "0000/12/31 23:59:59", "10000/01/01"}) {
        EXPECT_FALSE(parseTimestamp(text)) << text;
    }
    EXPECT_TRUE(parseTimestamp("2004/02/29"));
}

TEST(parseTimestamp, CommonFormAgreesWithTheGeneralReading) {
    // "yyyy/mm/dd hh:nn:ss" is read by a shortcut; the same text with a blank
    // in front takes the general way.
    for (const char* text :
         {"2004/01/05 09:30:00", "2004/02/29 23:59:59", "2003/02/29 10:00:00",
          "2004/01/05 24:00:00", "2004/01/05 09:60:00", "2004/01/05 09:30:60",
          "0000/01/01 00:00:00", "9999/12/31 23:59:59", "2004/13/05 09:30:00",
          "2004/01/00 09:30:00", "2004/01/05 09:30:00x", "2004/01/05 09:30:00 extra",
          "2004/01/05 09:30:001", "2004/01/05 09:30:0a", "2004-01-05 09:30:00",
          "2004/01/05T09:30:00", "20a4/01/05 09:30:00"}) {
        EXPECT_EQ(parseTimestamp(text), parseTimestamp(std::string(" ") + text)) << text;
    }
    EXPECT_EQ(parseTimestamp("2004/01/05 09:30:001"), at(2004, 1, 5, 9, 30, 1));
}

TEST(reportTimeText, DropsTheSeconds) {
    EXPECT_EQ(reportTimeText(at(2004, 1, 1)), "2004/01/01 00:00");
    EXPECT_EQ(reportTimeText(at(2003, 12, 31, 23, 59, 59)), "2003/12/31 23:59");
    EXPECT_EQ(reportTimeText(at(2004, 1, 5, 9, 30, 59)), "2004/01/05 09:30");
    EXPECT_EQ(reportTimeText(at(1, 1, 1)), "0001/01/01 00:00");
    EXPECT_EQ(reportTimeText(at(1899, 12, 30, 5)), "1899/12/30 05:00");
}

TEST(hourKeyText, YearInAtLeastFourDigits) {
    EXPECT_EQ(hourKeyText(hourOf(at(2005, 1, 1, 0, 50))), "2005010100");
    EXPECT_EQ(hourKeyText(hourOf(at(2004, 12, 31, 23, 59, 59))), "2004123123");
    EXPECT_EQ(hourKeyText(hourAt(1, 1, 1, 0)), "0001010100");
    EXPECT_EQ(hourKeyText(hourAt(9999, 12, 31, 23) + hours{1}), "10000010100");
}

// Every date a data file can hold comes back whole through the calendar
// fields, which must reach far beyond std::chrono's years for a stored time
// zone of two billion hours.
TEST(calendarHourOf, AgreesWithStdChronoAndRepeatsEveryFourHundredYears) {
    int mismatches = 0;
    const sys_days first{year{1} / January / 1};
    const sys_days last{year{9999} / December / 31};
    for (sys_days d = first; d <= last; d += days{1}) {
        const year_month_day ymd{d};
        const CalendarHour c = calendarHourOf(floor<hours>(d) + hours{18});
        if (c.year != static_cast<int>(ymd.year()) ||
            c.month != static_cast<int>(static_cast<unsigned>(ymd.month())) ||
            c.day != static_cast<int>(static_cast<unsigned>(ymd.day())) || c.hour != 18) {
            ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    for (std::int64_t count : {std::int64_t{INT32_MIN} * 2, std::int64_t{-1}, std::int64_t{0},
                               std::int64_t{INT32_MAX} * 2 + 13}) {
        const CalendarHour c = calendarHourOf(Hour{hours{count}});
        const CalendarHour earlier = calendarHourOf(Hour{hours{count - 1000 * kCycleHours}});
        EXPECT_EQ(earlier.year, c.year - 400000) << count;
        EXPECT_EQ(std::tie(earlier.month, earlier.day, earlier.hour),
                  std::tie(c.month, c.day, c.hour))
            << count;
    }
    const CalendarHour beforeEpoch = calendarHourOf(Hour{hours{-1}});
    EXPECT_EQ(beforeEpoch.year, 1969);
    EXPECT_EQ(beforeEpoch.hour, 23);
}

TEST(hasFourDigitYear, YearsOneTo9999) {
    const Hour firstHour = hourAt(1, 1, 1, 0);
    const Hour lastHour = hourAt(9999, 12, 31, 23);
    EXPECT_FALSE(hasFourDigitYear(firstHour - hours{1}));
    EXPECT_TRUE(hasFourDigitYear(firstHour));
    EXPECT_TRUE(hasFourDigitYear(lastHour));
    EXPECT_FALSE(hasFourDigitYear(lastHour + hours{1}));
}

TEST(kLongMonthNames, AreEnglish) {
    EXPECT_EQ(kLongMonthNames[0], "January");
    EXPECT_EQ(kLongMonthNames[4], "May");
    EXPECT_EQ(kLongMonthNames[11], "December");
}
