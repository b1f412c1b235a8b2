#include "shared/UFunction.h"

#include <gtest/gtest.h>

namespace {

TDateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *TryEncodeDateTime(y, mo, d, h, mi, s);
}

constexpr double kMs = 1.0 / 86400000.0;

} // namespace

TEST(StrToDateTime, ReadsDateAndTime) {
    EXPECT_DOUBLE_EQ(StrToDateTime("2004/01/05 09:30:00"), dt(2004, 1, 5, 9, 30));
    EXPECT_DOUBLE_EQ(StrToDateTime("   2004/1/5 9:30"), dt(2004, 1, 5, 9, 30));
    EXPECT_DOUBLE_EQ(StrToDateTime("2004/01/05"), dt(2004, 1, 5));
    EXPECT_DOUBLE_EQ(StrToDateTime("2004/01/05 7"), dt(2004, 1, 5, 7));
    EXPECT_DOUBLE_EQ(StrToDateTime("1899/12/30"), 0.0);
    EXPECT_DOUBLE_EQ(StrToDateTime("1900/01/01"), 2.0);
}

TEST(StrToDateTime, TimeAloneLandsOnDayZero) {
    EXPECT_DOUBLE_EQ(StrToDateTime("06:00:00"), 0.25);
    EXPECT_FALSE(TryStrToDateTime("06:00:00 x"));
}

TEST(StrToDateTime, IgnoresTextAfterACompleteTime) {
    EXPECT_DOUBLE_EQ(StrToDateTime("2004/01/05 09:30:00.250 extra"), dt(2004, 1, 5, 9, 30));
    EXPECT_FALSE(TryStrToDateTime("2004/01/05 09:30x"));
    EXPECT_FALSE(TryStrToDateTime("2004/01/05x"));
}

TEST(StrToDateTime, RejectsInvalidCalendarAndClock) {
    EXPECT_FALSE(TryStrToDateTime(""));
    EXPECT_FALSE(TryStrToDateTime("     "));
    EXPECT_FALSE(TryStrToDateTime("#Time"));
    EXPECT_FALSE(TryStrToDateTime("2004/02/30"));
    EXPECT_TRUE(TryStrToDateTime("2004/02/29"));
    EXPECT_FALSE(TryStrToDateTime("2003/02/29"));
    EXPECT_FALSE(TryStrToDateTime("2004/13/01"));
    EXPECT_FALSE(TryStrToDateTime("2004/00/01"));
    EXPECT_FALSE(TryStrToDateTime("2004/01/05 24:00:00"));
    EXPECT_FALSE(TryStrToDateTime("2004/01/05 23:60:00"));
    EXPECT_FALSE(TryStrToDateTime("2004/01/05 23:59:60"));
    EXPECT_FALSE(TryStrToDateTime("2004-01-05 10:00:00"));
    EXPECT_FALSE(TryStrToDateTime("99999/01/01"));
    EXPECT_THROW(StrToDateTime("2004/02/30"), EConvertError);
}

TEST(DateTimeToRepStr, DropsSecondsAndRoundsToTheMillisecond) {
    EXPECT_EQ(DateTimeToRepStr(dt(2004, 1, 1)), "2004/01/01 00:00");
    EXPECT_EQ(DateTimeToRepStr(dt(2003, 12, 31, 23, 59, 59)), "2003/12/31 23:59");
    EXPECT_EQ(DateTimeToRepStr(dt(2004, 1, 5, 9, 30, 59)), "2004/01/05 09:30");
    // A quarter of a millisecond before midnight is midnight.
    EXPECT_EQ(DateTimeToRepStr(dt(2004, 1, 2) - 0.25 * kMs), "2004/01/02 00:00");
    // Just under half a millisecond before a second stays in the second before.
    EXPECT_EQ(DateTimeToRepStr(dt(2004, 1, 2) - 0.6 * kMs), "2004/01/01 23:59");
}

TEST(CompareText, AgreesToTheSecondAfterMillisecondRounding) {
    const TDateTime t = dt(2004, 1, 1, 0, 10);
    EXPECT_EQ(DateTimeToCompareStr(t), DateTimeToCompareStr(t + 0.3 * kMs));
    EXPECT_NE(DateTimeToCompareStr(t), DateTimeToCompareStr(dt(2004, 1, 1, 0, 10, 1)));
    EXPECT_EQ(DateTimeToSecondKey(t), DateTimeToSecondKey(t + 0.3 * kMs));
    EXPECT_NE(DateTimeToSecondKey(t), DateTimeToSecondKey(dt(2004, 1, 1, 0, 10, 1)));
    // 999.6 ms rounds up into the next second.
    EXPECT_EQ(DateTimeToSecondKey(t + 999.6 * kMs), DateTimeToSecondKey(t) + 1);
}

TEST(CompareText, MidnightHasNoTimePartAndReadsBack) {
    const TDateTime midnight = dt(2004, 1, 6);
    EXPECT_EQ(DateTimeToCompareStr(midnight), "2004/01/06");
    EXPECT_EQ(StrToDateTime(DateTimeToCompareStr(midnight)), midnight);
    EXPECT_EQ(DateTimeToCompareStr(dt(2004, 1, 5, 23, 50)), "2004/01/05 23:50:00");
}

TEST(CompareText, SecondKeyReadsBackExactlyLikeTheText) {
    for (double v : {dt(2004, 1, 5, 9, 30) + 0.4 * kMs, dt(2013, 7, 1, 23, 59, 59) + 1e-9,
                     dt(2004, 1, 5, 9, 50, 0) + kTenMinutes, dt(1899, 12, 30) - 0.1}) {
        EXPECT_EQ(SecondKeyToDateTime(DateTimeToSecondKey(v)),
                  StrToDateTime(DateTimeToCompareStr(v)))
            << DateTimeToCompareStr(v);
    }
}

TEST(HourKey, FormatsAndReadsBack) {
    EXPECT_EQ(DateTimeToHourKey(dt(2005, 1, 1, 0, 50)), "2005010100");
    EXPECT_EQ(DateTimeToHourKey(dt(2004, 12, 31, 23, 59, 59)), "2004123123");
    EXPECT_DOUBLE_EQ(HourKeyToDateTime("2004013100"), dt(2004, 1, 31));
    EXPECT_DOUBLE_EQ(HourKeyToDateTime("2004010523"), dt(2004, 1, 5, 23));
}

TEST(HourKey, InvalidKeysRaise) {
    EXPECT_THROW(HourKeyToDateTime("2004023012"), EConvertError);
    EXPECT_THROW(HourKeyToDateTime("200401052"), EConvertError);
    EXPECT_THROW(HourKeyToDateTime("2004130100"), EConvertError);
    EXPECT_THROW(HourKeyToDateTime("2004010524"), EConvertError);
    EXPECT_THROW(HourKeyToDateTime("20040105x3"), EConvertError);
}

TEST(MonthNames, AreEnglishAfterInstalling) {
    LongMonthNames[4] = "Mai";
    InstallEnglishMonthNames();
    EXPECT_EQ(LongMonthNames[4], "May");
    EXPECT_EQ(ShortMonthNames[4], "May");
    EXPECT_EQ(LongMonthNames[0], "January");
    EXPECT_EQ(ShortMonthNames[11], "Dec");
}
