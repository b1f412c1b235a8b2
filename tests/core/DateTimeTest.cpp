#include "shared/DateTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

DateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *tryEncodeDateTime(y, mo, d, h, mi, s);
}

constexpr double kMs = 1.0 / 86400000.0;

} // namespace

TEST(parseDateTime, ReadsDateAndTime) {
    EXPECT_DOUBLE_EQ(parseDateTime("2004/01/05 09:30:00"), dt(2004, 1, 5, 9, 30));
    EXPECT_DOUBLE_EQ(parseDateTime("   2004/1/5 9:30"), dt(2004, 1, 5, 9, 30));
    EXPECT_DOUBLE_EQ(parseDateTime("2004/01/05"), dt(2004, 1, 5));
    EXPECT_DOUBLE_EQ(parseDateTime("2004/01/05 7"), dt(2004, 1, 5, 7));
    EXPECT_DOUBLE_EQ(parseDateTime("1899/12/30"), 0.0);
    EXPECT_DOUBLE_EQ(parseDateTime("1900/01/01"), 2.0);
}

TEST(parseDateTime, TimeAloneLandsOnDayZero) {
    EXPECT_DOUBLE_EQ(parseDateTime("06:00:00"), 0.25);
    EXPECT_FALSE(tryParseDateTime("06:00:00 x"));
}

// Each row one form of the reading: what it gives, or nothing for a text that
// is set aside.
TEST(parseDateTime, FormsOfTheReading) {
    const struct {
        const char* text;
        std::optional<DateTime> value;
    } cases[] = {
        // Blanks after a date promise a time.
        {"2004/01/05 ", std::nullopt},
        {"2004/01/05   ", std::nullopt},
        {"  2004/01/05", dt(2004, 1, 5)},
        // Hours alone are a time, on their own too.
        {"5", 5.0 / 24},
        {"  23", 23.0 / 24},
        {"5 ", std::nullopt},
        {"24", std::nullopt},
        {"2004/01/05 5 ", dt(2004, 1, 5, 5)},
        {"2004/01/05 9:30  ", dt(2004, 1, 5, 9, 30)},
        // Any count of digits, leading zeros included.
        {"0000002004/01/05 09:30:00", dt(2004, 1, 5, 9, 30)},
        {"2004/0000000001/000000000005 00000000009:000000030", dt(2004, 1, 5, 9, 30)},
        {"0000000000000000000005", 5.0 / 24},
        // Past every range: fails, without overflowing on the way.
        {"2004/01/05 99999999999999999999:00", std::nullopt},
        {"99999999999999999999/01/01", std::nullopt},
        {"2004/4294967297/01", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto read = tryParseDateTime(c.text);
        ASSERT_EQ(read.has_value(), c.value.has_value());
        if (c.value) {
            EXPECT_DOUBLE_EQ(*read, *c.value);
        }
    }
}

TEST(parseDateTime, IgnoresTextAfterACompleteTime) {
    EXPECT_DOUBLE_EQ(parseDateTime("2004/01/05 09:30:00.250 extra"), dt(2004, 1, 5, 9, 30));
    EXPECT_FALSE(tryParseDateTime("2004/01/05 09:30x"));
    EXPECT_FALSE(tryParseDateTime("2004/01/05x"));
}

TEST(parseDateTime, RejectsInvalidCalendarAndClock) {
    EXPECT_FALSE(tryParseDateTime(""));
    EXPECT_FALSE(tryParseDateTime("     "));
    EXPECT_FALSE(tryParseDateTime("#Time"));
    EXPECT_FALSE(tryParseDateTime("2004/02/30"));
    EXPECT_TRUE(tryParseDateTime("2004/02/29"));
    EXPECT_FALSE(tryParseDateTime("2003/02/29"));
    EXPECT_FALSE(tryParseDateTime("2004/13/01"));
    EXPECT_FALSE(tryParseDateTime("2004/00/01"));
    EXPECT_FALSE(tryParseDateTime("2004/01/05 24:00:00"));
    EXPECT_FALSE(tryParseDateTime("2004/01/05 23:60:00"));
    EXPECT_FALSE(tryParseDateTime("2004/01/05 23:59:60"));
    EXPECT_FALSE(tryParseDateTime("2004-01-05 10:00:00"));
    EXPECT_FALSE(tryParseDateTime("99999/01/01"));
    EXPECT_THROW(parseDateTime("2004/02/30"), DateConvertError);
}

TEST(reportTimeText, DropsSecondsAndRoundsToTheMillisecond) {
    EXPECT_EQ(reportTimeText(dt(2004, 1, 1)), "2004/01/01 00:00");
    EXPECT_EQ(reportTimeText(dt(2003, 12, 31, 23, 59, 59)), "2003/12/31 23:59");
    EXPECT_EQ(reportTimeText(dt(2004, 1, 5, 9, 30, 59)), "2004/01/05 09:30");
    // A quarter of a millisecond before midnight is midnight.
    EXPECT_EQ(reportTimeText(dt(2004, 1, 2) - 0.25 * kMs), "2004/01/02 00:00");
    // Just under half a millisecond before a second stays in the second before.
    EXPECT_EQ(reportTimeText(dt(2004, 1, 2) - 0.6 * kMs), "2004/01/01 23:59");
}

// The table writer's form keeps the date of the day before; whatever the
// order of the values, it writes what reportTimeText does, or nothing where
// the year has not four digits.
TEST(reportTimeText, TableWritersFormAgrees) {
    const std::vector<DateTime> values = {dt(2004, 1, 1),
                                          dt(2004, 1, 1, 23, 50),
                                          dt(2004, 1, 2) - 0.25 * kMs,
                                          dt(2004, 1, 2) - 0.6 * kMs,
                                          dt(2004, 1, 1, 0, 10),
                                          dt(1999, 12, 31, 23, 59, 59),
                                          dt(1, 1, 1),
                                          dt(9999, 12, 31, 23, 59),
                                          dt(9999, 12, 31, 23, 59) + 1.0,
                                          dt(1, 1, 1) - 1.0,
                                          -693594.5,
                                          dt(2004, 2, 29, 12, 0),
                                          0.0,
                                          -0.5,
                                          dt(2004, 2, 29, 12, 0)};
    for (DateTime value : values) {
        char text[32];
        char* end = putReportTime(text, value);
        const int year = decodeDateTime(value).year;
        if (year >= 0 && year <= 9999) {
            ASSERT_NE(end, nullptr) << value;
            EXPECT_EQ(std::string(text, static_cast<size_t>(end - text)), reportTimeText(value));
        } else {
            EXPECT_EQ(end, nullptr) << value;
        }
    }
}

TEST(CompareText, AgreesToTheSecondAfterMillisecondRounding) {
    const DateTime t = dt(2004, 1, 1, 0, 10);
    EXPECT_EQ(compareText(t), compareText(t + 0.3 * kMs));
    EXPECT_NE(compareText(t), compareText(dt(2004, 1, 1, 0, 10, 1)));
    EXPECT_EQ(secondKeyOf(t), secondKeyOf(t + 0.3 * kMs));
    EXPECT_NE(secondKeyOf(t), secondKeyOf(dt(2004, 1, 1, 0, 10, 1)));
    // 999.6 ms rounds up into the next second.
    EXPECT_EQ(secondKeyOf(t + 999.6 * kMs), secondKeyOf(t) + 1);
}

TEST(CompareText, MidnightHasNoTimePartAndReadsBack) {
    const DateTime midnight = dt(2004, 1, 6);
    EXPECT_EQ(compareText(midnight), "2004/01/06");
    EXPECT_EQ(parseDateTime(compareText(midnight)), midnight);
    EXPECT_EQ(compareText(dt(2004, 1, 5, 23, 50)), "2004/01/05 23:50:00");
}

TEST(CompareText, SecondKeyReadsBackExactlyLikeTheText) {
    for (double v : {dt(2004, 1, 5, 9, 30) + 0.4 * kMs, dt(2013, 7, 1, 23, 59, 59) + 1e-9,
                     dt(2004, 1, 5, 9, 50, 0) + kTenMinutes, dt(1899, 12, 30) - 0.1}) {
        EXPECT_EQ(dateTimeOfSecondKey(secondKeyOf(v)), parseDateTime(compareText(v)))
            << compareText(v);
    }
}

TEST(HourKey, FormatsAndReadsBack) {
    EXPECT_EQ(hourKeyOf(dt(2005, 1, 1, 0, 50)), "2005010100");
    EXPECT_EQ(hourKeyOf(dt(2004, 12, 31, 23, 59, 59)), "2004123123");
    EXPECT_DOUBLE_EQ(hourKeyToDateTime("2004013100"), dt(2004, 1, 31));
    EXPECT_DOUBLE_EQ(hourKeyToDateTime("2004010523"), dt(2004, 1, 5, 23));
}

TEST(HourKey, InvalidKeysRaise) {
    EXPECT_THROW(hourKeyToDateTime("2004023012"), DateConvertError);
    EXPECT_THROW(hourKeyToDateTime("200401052"), DateConvertError);
    EXPECT_THROW(hourKeyToDateTime("2004130100"), DateConvertError);
    EXPECT_THROW(hourKeyToDateTime("2004010524"), DateConvertError);
    EXPECT_THROW(hourKeyToDateTime("20040105x3"), DateConvertError);
}

TEST(MonthNames, AreEnglish) {
    EXPECT_EQ(kLongMonthNames[0], "January");
    EXPECT_EQ(kLongMonthNames[4], "May");
    EXPECT_EQ(kLongMonthNames[11], "December");
}

// Every date a data file can hold gets its proleptic Gregorian day number and
// comes back whole through the decoder (and its cache of the last day).
TEST(CalendarArithmetic, AgreesWithStdChronoOnEveryDateOfYears1To9999) {
    using namespace std::chrono;
    int mismatches = 0;
    for (int y = 1; y <= 9999; ++y) {
        for (unsigned m = 1; m <= 12; ++m) {
            for (unsigned d = 1; d <= 31; ++d) {
                const year_month_day ymd{year{y}, month{m}, day{d}};
                const auto value =
                    tryEncodeDateTime(y, static_cast<int>(m), static_cast<int>(d), 18, 0, 0);
                if (value.has_value() != ymd.ok()) {
                    ++mismatches;
                    continue;
                }
                if (!value) {
                    continue;
                }
                const double dayNumber = sys_days{ymd}.time_since_epoch().count() + 25569;
                const DateTimeParts p = decodeDateTime(*value);
                if (*value != dayNumber + 0.75 || p.year != y || p.month != static_cast<int>(m) ||
                    p.day != static_cast<int>(d) || p.hour != 18) {
                    ++mismatches;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Just outside that range std::chrono still decides.
    for (double dayNumber : {-693594.0, 2958466.0}) {
        const year_month_day ymd{sys_days{days{static_cast<int>(dayNumber) - 25569}}};
        const DateTimeParts p = decodeDateTime(dayNumber);
        EXPECT_EQ(p.year, static_cast<int>(ymd.year()));
        EXPECT_EQ(p.month, static_cast<int>(static_cast<unsigned>(ymd.month())));
        EXPECT_EQ(p.day, static_cast<int>(static_cast<unsigned>(ymd.day())));
    }
}

TEST(secondKeyOf, RoundsToTheMillisecondLikeLlround) {
    int halves = 0;
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        const double centre = (static_cast<double>(i) * 7919.0 + 0.5) / 86400000.0;
        for (double v : {centre, std::nextafter(centre, 0.0), std::nextafter(centre, 1e9), -centre,
                         centre + 45000.0, -centre - 45000.0}) {
            const double ms = v * 86400000.0;
            halves += ms - std::trunc(ms) == 0.5 || ms - std::trunc(ms) == -0.5 ? 1 : 0;
            const std::int64_t rounded = std::llround(ms);
            const std::int64_t second = rounded / 1000 - (rounded % 1000 < 0 ? 1 : 0);
            if (secondKeyOf(v) != second) {
                ++mismatches;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(halves, 0); // exact halves were among the values
}

TEST(parseDateTime, CommonFormAgreesWithTheGeneralReading) {
    // "yyyy/mm/dd hh:nn:ss" is read by a shortcut; the same text with a blank
    // in front takes the general way.
    for (const char* text :
         {"2004/01/05 09:30:00", "2004/02/29 23:59:59", "2003/02/29 10:00:00",
          "2004/01/05 24:00:00", "2004/01/05 09:60:00", "2004/01/05 09:30:60",
          "0000/01/01 00:00:00", "9999/12/31 23:59:59", "2004/13/05 09:30:00",
          "2004/01/00 09:30:00", "2004/01/05 09:30:00x", "2004/01/05 09:30:00 extra",
          "2004/01/05 09:30:001", "2004/01/05 09:30:0a", "2004-01-05 09:30:00",
          "2004/01/05T09:30:00", "20a4/01/05 09:30:00"}) {
        const auto fast = tryParseDateTime(text);
        const auto general = tryParseDateTime(std::string(" ") + text);
        EXPECT_EQ(fast.has_value(), general.has_value()) << text;
        if (fast && general) {
            EXPECT_EQ(*fast, *general) << text;
        }
    }
    EXPECT_EQ(parseDateTime("2004/01/05 09:30:001"), dt(2004, 1, 5, 9, 30, 1));
}

TEST(shiftHourKey, GivesTheHourOfTheFloatingPointSum) {
    auto viaValue = [](const std::string& key, std::int32_t hours) {
        return hourKeyOf(hourKeyToDateTime(key) + static_cast<double>(hours) / 24.0);
    };
    const std::int32_t shifts[] = {INT32_MIN, -100000000, -87649 * 24, -100000,  -25, -24,
                                   -23,       -13,        -9,          -1,       0,   1,
                                   9,         14,         23,          24,       25,  1000,
                                   100000,    87649 * 24, 100000000,   INT32_MAX};
    int mismatches = 0;
    for (const char* key :
         {"0001010100", "0001010105", "1582101423", "1899122923", "1899123000", "1900022823",
          "2000022912", "2005123123", "2006010108", "9999123123", "9999123100"}) {
        for (std::int32_t s : shifts) {
            mismatches += shiftHourKey(key, s) != viaValue(key, s) ? 1 : 0;
        }
    }
    // A sweep over the whole calendar with the shifts of real time zones.
    const std::int64_t firstHour = static_cast<std::int64_t>(-693593) * 24;
    const std::int64_t lastHour = static_cast<std::int64_t>(2958465) * 24 + 23;
    for (std::int64_t h = firstHour; h <= lastHour; h += 7919) {
        const std::string key = hourKeyOf(static_cast<double>(h) / 24.0);
        for (std::int32_t s = -13; s <= 14; ++s) {
            mismatches += shiftHourKey(key, s) != viaValue(key, s) ? 1 : 0;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(shiftHourKey("2006010108", -9), "2005123123");
    EXPECT_THROW(shiftHourKey("2004023012", 1), DateConvertError);
    EXPECT_THROW(shiftHourKey("20040105", 1), DateConvertError);
}
