#include "hourly/HourTable.h"

#include "TenMinuteTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<const HourRow*> rows(const HourTable& list) {
    std::vector<const HourRow*> out;
    for (const HourRow* n = list.top.get(); n->next; n = n->next.get()) {
        out.push_back(n);
    }
    return out;
}

struct HourlyFixture : ::testing::Test {
    HourTable list;
    void SetUp() override { list.init(); }
};

} // namespace

using AddRow = HourlyFixture;
using ComputeRates = HourlyFixture;
using WriteFile = HourlyFixture;

TEST_F(AddRow, FullHoursOfLargeCountsAreWrittenAlike) {
    // Full hours of small counts take texts made once; counts at and past
    // the end of those go the long way, with the same digits.
    for (const auto& [count, text] : std::vector<std::pair<std::int64_t, std::string>>{
             {1023, "2005010100,1023,1024,0,60,1023.00,1024.00,0.00,31.98,32.00,0.00,"},
             {5000, "2005010100,5000,5001,0,60,5000.00,5001.00,0.00,70.71,70.72,0.00,"}}) {
        list.init();
        list.addRow(slot("2005/01/01 00:00:00", count, count + 1, 0, 60));
        EXPECT_EQ(hourRowText(*list.top), text);
    }
}

TEST_F(AddRow, FullHourGivesOneRow) {
    for (int m = 0; m < 60; m += 10) {
        std::string t = "2005/01/01 00:" + std::to_string(m / 10) + "0:00";
        list.addRow(slot(t.c_str(), 2, m == 30 ? 1 : 0, 0, 10));
    }
    list.computeRates(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(hourRowText(*r[0]), "2005010100,12,1,0,60,12.00,1.00,0.00,3.46,1.00,0.00,");
    EXPECT_FALSE(r[0]->underHour());
    EXPECT_TRUE(r[0]->aboveNoise);
}

TEST_F(AddRow, HalfHourWithGapRowsTakesTheRemarkOnce) {
    list.addRow(slot("2005/01/01 01:00", 3, 0, 0, 10));
    list.addRow(slot("2005/01/01 01:10", 2, 0, 0, 10));
    list.addRow(slot("2005/01/01 01:20", 2, 0, 0, 10));
    list.addRow(gapSlot("2005/01/01 01:30"));
    list.addRow(gapSlot("2005/01/01 01:40"));
    list.addRow(gapSlot("2005/01/01 01:50"));
    list.computeRates(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(hourRowText(*r[0]), "2005010101,7,0,0,30,14.00,0.00,0.00,5.29,0.00,0.00,NoObserve");
}

TEST_F(AddRow, RemarkIsAppendedOnlyWhenNotAlreadyContained) {
    list.addRow(slot("2005/01/01 01:00", 0, 0, 0, 10, "B"));
    list.addRow(slot("2005/01/01 01:10", 0, 0, 0, 10, "AB"));
    list.addRow(slot("2005/01/01 01:20", 0, 0, 0, 10, "B"));
    list.addRow(slot("2005/01/01 02:00", 0, 0, 0, 10, "AB"));
    list.addRow(slot("2005/01/01 02:10", 0, 0, 0, 10, "B"));
    list.addRow(slot("2005/01/01 02:20", 0, 0, 0, 10, ""));
    auto r = rows(list);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0]->remark, "BAB");
    EXPECT_EQ(r[1]->remark, "AB");
}

TEST_F(AddRow, HourMetAgainAfterOtherHoursFoldsIntoItsFirstRow) {
    list.addRow(slot("2005/01/01 01:00", 1, 0, 0, 10));
    list.addRow(slot("2005/01/01 02:00", 2, 0, 0, 10));
    list.addRow(slot("2005/01/01 01:50", 4, 0, 0, 10));
    list.addRow(slot("2005/01/01 00:50", 8, 0, 0, 10)); // minutes dropped: hour 00
    auto r = rows(list);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0]->time, "2005010101");
    EXPECT_EQ(r[0]->echo, 5);
    EXPECT_EQ(r[0]->observedMinutes, 20);
    EXPECT_EQ(r[1]->time, "2005010102");
    EXPECT_EQ(r[2]->time, "2005010100");
}

TEST_F(AddRow, AnyOrderFoldsLikeAWalkOverTheKeyTexts) {
    // Ascending slots first (folded without an index), then slots in random
    // order, some before year 1 where distinct hours share the key "0000mmddhh".
    std::vector<std::pair<std::string, std::int64_t>> expected; // key, echo sum
    auto fold = [&](DateTime time, std::int64_t echo) {
        TenMinuteRow r;
        r.time = time;
        r.echo = echo;
        r.observedMinutes = 10;
        list.addRow(r);
        const std::string key = hourKeyOf(time);
        for (auto& [k, sum] : expected) {
            if (k == key) {
                sum += echo;
                return;
            }
        }
        expected.emplace_back(key, echo);
    };
    const DateTime start = parseDateTime("2015/12/31 20:00");
    for (int i = 0; i < 500; ++i) {
        fold(start + i * kTenMinutes, i);
    }
    std::mt19937 rng(7);
    const DateTime beforeYearOne[] = {-693959.25, -694324.25, -694324.75};
    for (int i = 500; i < 3000; ++i) {
        const DateTime time = rng() % 10 == 0 ? beforeYearOne[rng() % 3]
                                              : start + static_cast<int>(rng() % 900) * kTenMinutes;
        fold(time, i);
    }
    auto r = rows(list);
    ASSERT_EQ(r.size(), expected.size());
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i]->time, expected[i].first);
        EXPECT_EQ(r[i]->echo, expected[i].second);
    }
}

TEST_F(AddRow, SumsBeyondThirtyTwoBitsDoNotOverflow) {
    for (int i = 0; i < 6; ++i) {
        std::string t = "2005/01/01 03:" + std::to_string(i) + "0";
        list.addRow(slot(t.c_str(), 2147483647, 2147483647, 2147483647, 2147483647));
    }
    list.computeRates(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->echo, 6 * 2147483647LL);
    EXPECT_EQ(hourRowText(*r[0]).substr(0, 55),
              "2005010103,12884901882,12884901882,12884901882,12884901");
}

TEST_F(AddRow, ClearEmptiesTheIndexToo) {
    list.addRow(slot("2005/01/01 01:00", 1, 0, 0, 10));
    list.clear();
    list.addRow(slot("2005/01/01 01:00", 5, 0, 0, 10));
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->echo, 5);
}

TEST_F(ComputeRates, GapOnlyHourHasZeroRatesAndFlags) {
    for (int i = 0; i < 6; ++i) {
        std::string t = "2005/01/01 02:" + std::to_string(i) + "0";
        list.addRow(gapSlot(t.c_str()));
    }
    list.computeRates(0);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(hourRowText(*r[0]), "2005010102,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
    EXPECT_TRUE(r[0]->underHour());
    EXPECT_FALSE(r[0]->aboveNoise);
}

TEST_F(ComputeRates, ThresholdAndFullHourBorders) {
    for (std::int64_t obs : {20, 21, 59, 60, 70}) {
        list.clear();
        list.addRow(slot("2005/01/01 05:00", 1, 0, 0, obs));
        list.computeRates(20);
        const HourRow& r = *list.top;
        EXPECT_EQ(r.aboveNoise, obs > 20) << obs;
        EXPECT_EQ(r.underHour(), obs < 60) << obs;
    }
}

TEST_F(ComputeRates, FortyFiveMinutesWithFiveEchoes) {
    list.addRow(slot("2005/01/01 05:00", 5, 0, 0, 45));
    list.computeRates(20);
    EXPECT_EQ(hourRowText(*list.top), "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,");
}

TEST_F(ComputeRates, RunsAgainWithANewThreshold) {
    list.addRow(slot("2005/01/01 05:00", 5, 0, 0, 30));
    list.computeRates(20);
    EXPECT_TRUE(list.top->aboveNoise);
    list.computeRates(30);
    EXPECT_FALSE(list.top->aboveNoise);
    EXPECT_EQ(list.top->echo, 5);
}

TEST_F(WriteFile, FormatLineOnAndOff) {
    TempDir dir;
    list.writeFile(dir.file("a.csv"), true);
    EXPECT_EQ(readFile(dir.file("a.csv")),
              "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
              "Err(Echo),Err(LongEcho),Err(OtherData)\r\n");
    list.writeFile(dir.file("a.csv"), false);
    EXPECT_EQ(readFile(dir.file("a.csv")), "");

    list.addRow(slot("2005/01/01 05:00", 5, 0, 0, 45, "x,y"));
    list.computeRates(20);
    list.writeFile(dir.file("a.csv"), false);
    EXPECT_EQ(readFile(dir.file("a.csv")),
              "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,x,y\r\n");
}
