#include "hourly/HourTable.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

TEST(HourTable, FullHourGivesOneRow) {
    Hours hours;
    for (int m = 0; m < 60; m += 10) {
        hours.add(
            slot("2005/01/01 00:" + std::to_string(m / 10) + "0:00", 2, m == 30 ? 1 : 0, 0, 10));
    }
    ASSERT_EQ(hours.rows().size(), 1u);
    EXPECT_EQ(hourLine(hours.rows()[0]), "2005010100,12,1,0,60,12.00,1.00,0.00,3.46,1.00,0.00,");
    EXPECT_FALSE(hours.rows()[0].underHour());
}

TEST(HourTable, HalfHourWithGapRowsTakesTheRemarkOnce) {
    Hours hours;
    hours.add(slot("2005/01/01 01:00", 3, 0, 0, 10));
    hours.add(slot("2005/01/01 01:10", 2, 0, 0, 10));
    hours.add(slot("2005/01/01 01:20", 2, 0, 0, 10));
    hours.gap("2005/01/01 01:30");
    hours.gap("2005/01/01 01:40");
    hours.gap("2005/01/01 01:50");
    ASSERT_EQ(hours.rows().size(), 1u);
    EXPECT_EQ(hourLine(hours.rows()[0]),
              "2005010101,7,0,0,30,14.00,0.00,0.00,5.29,0.00,0.00,NoObserve");
}

TEST(HourTable, RemarkIsAppendedOnlyWhenNotAlreadyContained) {
    Hours hours;
    hours.add(slot("2005/01/01 01:00", 0, 0, 0, 10, "B"));
    hours.add(slot("2005/01/01 01:10", 0, 0, 0, 10, "AB"));
    hours.add(slot("2005/01/01 01:20", 0, 0, 0, 10, "B"));
    hours.add(slot("2005/01/01 02:00", 0, 0, 0, 10, "AB"));
    hours.add(slot("2005/01/01 02:10", 0, 0, 0, 10, "B"));
    hours.add(slot("2005/01/01 02:20", 0, 0, 0, 10, ""));
    ASSERT_EQ(hours.rows().size(), 2u);
    EXPECT_EQ(hours.rows()[0].remark, "BAB");
    EXPECT_EQ(hours.rows()[1].remark, "AB");
}

// Rows are kept in hour order: an hour met again after others folds into its
// row, an hour met out of order takes its place among them.
TEST(HourTable, HoursMetOutOfOrderTakeTheirPlace) {
    Hours hours;
    hours.add(slot("2005/01/01 01:00", 1, 0, 0, 10));
    hours.add(slot("2005/01/01 02:00", 2, 0, 0, 10));
    hours.add(slot("2005/01/01 01:50", 4, 0, 0, 10));
    hours.add(slot("2005/01/01 00:50", 8, 0, 0, 10)); // minutes dropped: hour 00
    ASSERT_EQ(hours.rows().size(), 3u);
    EXPECT_EQ(hourKeyText(hours.rows()[0].hour), "2005010100");
    EXPECT_EQ(hours.rows()[0].echo, 8);
    EXPECT_EQ(hourKeyText(hours.rows()[1].hour), "2005010101");
    EXPECT_EQ(hours.rows()[1].echo, 5);
    EXPECT_EQ(hours.rows()[1].observedMinutes, 20);
    EXPECT_EQ(hourKeyText(hours.rows()[2].hour), "2005010102");
}

TEST(HourTable, AnyOrderFoldsLikeAMapOfHours) {
    // Ascending slots first, then slots in random order, some of them long
    // before the others.
    Hours hours;
    std::map<Hour, std::int64_t> expected; // echo sums
    const auto fold = [&](Timestamp time, std::int64_t echo) {
        TenMinuteRow r;
        r.time = time;
        r.echo = echo;
        r.observedMinutes = 10;
        hours.add(r);
        expected[hourOf(time)] += echo;
    };
    const Timestamp start = timeOf("2015/12/31 20:00:00");
    for (int i = 0; i < 500; ++i) {
        fold(start + i * kSlotLength, i);
    }
    std::mt19937 rng(7);
    const Timestamp farBefore[] = {timeOf("0001/01/01 05:40:00"), timeOf("1899/12/30 00:00:00"),
                                   timeOf("1899/12/30 00:50:00")};
    for (int i = 500; i < 3000; ++i) {
        fold(rng() % 10 == 0 ? farBefore[rng() % 3]
                             : start + static_cast<int>(rng() % 900) * kSlotLength,
             i);
    }
    ASSERT_EQ(hours.rows().size(), expected.size());
    auto e = expected.begin();
    for (const HourRow& row : hours.rows()) {
        EXPECT_EQ(row.hour, e->first);
        EXPECT_EQ(row.echo, e->second);
        ++e;
    }
}

TEST(HourTable, SumsBeyondThirtyTwoBitsDoNotOverflow) {
    Hours hours;
    for (int i = 0; i < 6; ++i) {
        hours.add(slot("2005/01/01 03:" + std::to_string(i) + "0", 2147483647, 2147483647,
                       2147483647, 2147483647));
    }
    ASSERT_EQ(hours.rows().size(), 1u);
    EXPECT_EQ(hours.rows()[0].echo, 6 * 2147483647LL);
    EXPECT_EQ(hourLine(hours.rows()[0]).substr(0, 55),
              "2005010103,12884901882,12884901882,12884901882,12884901");
}

TEST(hourLine, RatesAndErrorsPerHour) {
    Hours hours;
    hours.add(slot("2005/01/01 05:00", 5, 0, 0, 45));
    hours.add(slot("2005/01/01 06:00", 1023, 1024, 0, 60));
    hours.add(slot("2005/01/01 07:00", 5000, 5001, 0, 60));
    for (int m = 0; m < 6; ++m) {
        hours.gap("2005/01/01 08:" + std::to_string(m) + "0");
    }
    const std::vector<HourRow>& rows = hours.rows();
    EXPECT_EQ(hourLine(rows[0]), "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,");
    EXPECT_EQ(hourLine(rows[1]),
              "2005010106,1023,1024,0,60,1023.00,1024.00,0.00,31.98,32.00,0.00,");
    EXPECT_EQ(hourLine(rows[2]),
              "2005010107,5000,5001,0,60,5000.00,5001.00,0.00,70.71,70.72,0.00,");
    EXPECT_EQ(hourLine(rows[3]), "2005010108,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
    HourRow row;
    for (std::int64_t obs : {59, 60, 70}) {
        row.observedMinutes = obs;
        EXPECT_EQ(row.underHour(), obs < 60) << obs;
    }
}

TEST(HourTable, TextWithAndWithoutItsHeaderLine) {
    const std::string header = std::string(kHourHeaderLine) + "\r\n";
    Hours hours;
    EXPECT_EQ(hours.table->text(true),
              "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
              "Err(Echo),Err(LongEcho),Err(OtherData)\r\n");
    EXPECT_EQ(hours.table->text(false), "");
    hours.add(slot("2005/01/01 05:00", 5, 0, 0, 45, "x,y"));
    hours.add(slot("2005/01/01 07:00", 1, 0, 0, 10));
    const std::string body = "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,x,y\r\n"
                             "2005010107,1,0,0,10,6.00,0.00,0.00,6.00,0.00,0.00,\r\n";
    EXPECT_EQ(hours.table->text(false), body);
    EXPECT_EQ(hours.table->text(true), header + body);
}
