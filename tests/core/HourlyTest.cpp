#include "hourly/UnitReportData.h"

#include "CSVTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace {

std::vector<const TReportDataRecord*> rows(const TReportDataList& list) {
    std::vector<const TReportDataRecord*> out;
    for (const TReportDataRecord* n = list.Top.get(); n->Next; n = n->Next.get()) {
        out.push_back(n);
    }
    return out;
}

struct HourlyFixture : ::testing::Test {
    TReportDataList list;
    void SetUp() override { list.Init(); }
};

} // namespace

using AddRecord = HourlyFixture;
using CalcRate = HourlyFixture;
using SaveReport60 = HourlyFixture;

TEST_F(AddRecord, FullHourGivesOneRow) {
    for (int m = 0; m < 60; m += 10) {
        std::string t = "2005/01/01 00:" + std::to_string(m / 10) + "0:00";
        list.AddRecord(slot(t.c_str(), 2, m == 30 ? 1 : 0, 0, 10));
    }
    list.CalcRate(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(ReportRecordToStr(*r[0]), "2005010100,12,1,0,60,12.00,1.00,0.00,3.46,1.00,0.00,");
    EXPECT_FALSE(r[0]->UnderHour);
    EXPECT_TRUE(r[0]->AboveNoise);
}

TEST_F(AddRecord, HalfHourWithGapRowsTakesTheRemarkOnce) {
    list.AddRecord(slot("2005/01/01 01:00", 3, 0, 0, 10));
    list.AddRecord(slot("2005/01/01 01:10", 2, 0, 0, 10));
    list.AddRecord(slot("2005/01/01 01:20", 2, 0, 0, 10));
    list.AddRecord(gapSlot("2005/01/01 01:30"));
    list.AddRecord(gapSlot("2005/01/01 01:40"));
    list.AddRecord(gapSlot("2005/01/01 01:50"));
    list.CalcRate(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(ReportRecordToStr(*r[0]),
              "2005010101,7,0,0,30,14.00,0.00,0.00,5.29,0.00,0.00,NoObserve");
}

TEST_F(AddRecord, RemarkIsAppendedOnlyWhenNotAlreadyContained) {
    list.AddRecord(slot("2005/01/01 01:00", 0, 0, 0, 10, "B"));
    list.AddRecord(slot("2005/01/01 01:10", 0, 0, 0, 10, "AB"));
    list.AddRecord(slot("2005/01/01 01:20", 0, 0, 0, 10, "B"));
    list.AddRecord(slot("2005/01/01 02:00", 0, 0, 0, 10, "AB"));
    list.AddRecord(slot("2005/01/01 02:10", 0, 0, 0, 10, "B"));
    list.AddRecord(slot("2005/01/01 02:20", 0, 0, 0, 10, ""));
    auto r = rows(list);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0]->Remark, "BAB");
    EXPECT_EQ(r[1]->Remark, "AB");
}

TEST_F(AddRecord, HourMetAgainAfterOtherHoursFoldsIntoItsFirstRow) {
    list.AddRecord(slot("2005/01/01 01:00", 1, 0, 0, 10));
    list.AddRecord(slot("2005/01/01 02:00", 2, 0, 0, 10));
    list.AddRecord(slot("2005/01/01 01:50", 4, 0, 0, 10));
    list.AddRecord(slot("2005/01/01 00:50", 8, 0, 0, 10)); // minutes dropped: hour 00
    auto r = rows(list);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0]->Time, "2005010101");
    EXPECT_EQ(r[0]->Echo, 5);
    EXPECT_EQ(r[0]->ObsTime, 20);
    EXPECT_EQ(r[1]->Time, "2005010102");
    EXPECT_EQ(r[2]->Time, "2005010100");
}

TEST_F(AddRecord, AnyOrderFoldsLikeAWalkOverTheKeyTexts) {
    // Ascending slots first (folded without an index), then slots in random
    // order, some before year 1 where distinct hours share the key "0000mmddhh".
    std::vector<std::pair<std::string, std::int64_t>> expected; // key, echo sum
    auto fold = [&](TDateTime time, std::int64_t echo) {
        TCSVDataRecord r;
        r.Time = time;
        r.Echo = echo;
        r.ObsTime = 10;
        list.AddRecord(r);
        const std::string key = DateTimeToHourKey(time);
        for (auto& [k, sum] : expected) {
            if (k == key) {
                sum += echo;
                return;
            }
        }
        expected.emplace_back(key, echo);
    };
    const TDateTime start = StrToDateTime("2015/12/31 20:00");
    for (int i = 0; i < 500; ++i) {
        fold(start + i * kTenMinutes, i);
    }
    std::mt19937 rng(7);
    const TDateTime beforeYearOne[] = {-693959.25, -694324.25, -694324.75};
    for (int i = 500; i < 3000; ++i) {
        const TDateTime time = rng() % 10 == 0
                                   ? beforeYearOne[rng() % 3]
                                   : start + static_cast<int>(rng() % 900) * kTenMinutes;
        fold(time, i);
    }
    auto r = rows(list);
    ASSERT_EQ(r.size(), expected.size());
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i]->Time, expected[i].first);
        EXPECT_EQ(r[i]->Echo, expected[i].second);
    }
}

TEST_F(AddRecord, SumsBeyondThirtyTwoBitsDoNotOverflow) {
    for (int i = 0; i < 6; ++i) {
        std::string t = "2005/01/01 03:" + std::to_string(i) + "0";
        list.AddRecord(slot(t.c_str(), 2147483647, 2147483647, 2147483647, 2147483647));
    }
    list.CalcRate(20);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->Echo, 6 * 2147483647LL);
    EXPECT_EQ(ReportRecordToStr(*r[0]).substr(0, 55),
              "2005010103,12884901882,12884901882,12884901882,12884901");
}

TEST_F(AddRecord, ClearEmptiesTheIndexToo) {
    list.AddRecord(slot("2005/01/01 01:00", 1, 0, 0, 10));
    list.Clear();
    list.AddRecord(slot("2005/01/01 01:00", 5, 0, 0, 10));
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->Echo, 5);
}

TEST_F(CalcRate, GapOnlyHourHasZeroRatesAndFlags) {
    for (int i = 0; i < 6; ++i) {
        std::string t = "2005/01/01 02:" + std::to_string(i) + "0";
        list.AddRecord(gapSlot(t.c_str()));
    }
    list.CalcRate(0);
    auto r = rows(list);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(ReportRecordToStr(*r[0]),
              "2005010102,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
    EXPECT_TRUE(r[0]->UnderHour);
    EXPECT_FALSE(r[0]->AboveNoise);
}

TEST_F(CalcRate, ThresholdAndFullHourBorders) {
    for (std::int64_t obs : {20, 21, 59, 60, 70}) {
        list.Clear();
        list.AddRecord(slot("2005/01/01 05:00", 1, 0, 0, obs));
        list.CalcRate(20);
        const TReportDataRecord& r = *list.Top;
        EXPECT_EQ(r.AboveNoise, obs > 20) << obs;
        EXPECT_EQ(r.UnderHour, obs < 60) << obs;
    }
}

TEST_F(CalcRate, FortyFiveMinutesWithFiveEchoes) {
    list.AddRecord(slot("2005/01/01 05:00", 5, 0, 0, 45));
    list.CalcRate(20);
    EXPECT_EQ(ReportRecordToStr(*list.Top), "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,");
}

TEST_F(CalcRate, RunsAgainWithANewThreshold) {
    list.AddRecord(slot("2005/01/01 05:00", 5, 0, 0, 30));
    list.CalcRate(20);
    EXPECT_TRUE(list.Top->AboveNoise);
    list.CalcRate(30);
    EXPECT_FALSE(list.Top->AboveNoise);
    EXPECT_EQ(list.Top->Echo, 5);
}

TEST_F(SaveReport60, FormatLineOnAndOff) {
    TempDir dir;
    list.SaveReport60(dir.file("a.csv"), true);
    EXPECT_EQ(readFile(dir.file("a.csv")),
              "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
              "Err(Echo),Err(LongEcho),Err(OtherData)\r\n");
    list.SaveReport60(dir.file("a.csv"), false);
    EXPECT_EQ(readFile(dir.file("a.csv")), "");

    list.AddRecord(slot("2005/01/01 05:00", 5, 0, 0, 45, "x,y"));
    list.CalcRate(20);
    list.SaveReport60(dir.file("a.csv"), false);
    EXPECT_EQ(readFile(dir.file("a.csv")),
              "2005010105,5,0,0,45,6.67,0.00,0.00,2.98,0.00,0.00,x,y\r\n");
}
