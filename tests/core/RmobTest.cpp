#include "reports/Rmob.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const std::string kHead =
    "| 00h| 01h| 02h| 03h| 04h| 05h| 06h| 07h| 08h| 09h| 10h| 11h| 12h| 13h| 14h| 15h| 16h| 17h| "
    "18h| 19h| 20h| 21h| 22h| 23h|UT";

std::string cells(int from, int to) {
    std::string s;
    for (int i = from; i < to; ++i) {
        s += "??? |";
    }
    return s;
}

struct RmobFixture : ::testing::Test {
    Hours data;
    Settings cnf;
    void SetUp() override {
        cnf.utOffsetHours = -9;
        cnf.noiseMinutes = 20;
        cnf.rmobLongEcho = true;
        cnf.longEchoSeconds = 10;
        cnf.otherDataSeconds = 20;
    }
    Lines build() const { return buildRmob(data.list(cnf.utOffsetHours, cnf.noiseMinutes), cnf); }
};

} // namespace

using BuildRmob = RmobFixture;

TEST_F(BuildRmob, WorkedExampleWithDateRollToTheYearBefore) {
    cnf.longEchoDurationKnown = true;
    data.add(slot("2006/01/01 08:00", 40, 3, 0, 60));
    // 09h: remark AB from a ten-minute row, then the gap marker.
    data.add(slot("2006/01/01 09:00", 7, 1, 0, 15, "AB"));
    data.gap("2006/01/01 09:10");
    data.add(slot("2006/01/01 10:00", 9, 2, 0, 45));
    const Lines expected = {
        "Total number of echoes",
        "",
        "Dec" + kHead,
        "31 |" + cells(0, 23) + " 40 |",
        "Jan" + kHead,
        "01 | AB | 12 |" + cells(2, 24),
        "",
        "",
        "Echoes longer than 10 seconds",
        "",
        "Dec" + kHead,
        "31 |" + cells(0, 23) + "  3 |",
        "Jan" + kHead,
        "01 | AB |  2 |" + cells(2, 24),
    };
    const Lines view = build();
    EXPECT_EQ(view, expected);
    EXPECT_EQ(view[2].size(), 126u);
    EXPECT_EQ(view[3].size(), 124u);
}

TEST_F(BuildRmob, ZeroTimeZoneKeepsLocalHours) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.add(slot("2006/01/01 08:00", 40, 3, 0, 60));
    EXPECT_EQ(build(), (Lines{"Total number of echoes", "", "Jan" + kHead,
                              "01 |" + cells(0, 8) + " 40 |" + cells(9, 24)}));
}

TEST_F(BuildRmob, EveryHourLandsInItsUtCellWhateverTheOffset) {
    // Two local days across a month's end, every hour its own count, moved
    // by offsets that keep the date, cross it either way or skip whole days:
    // each count must stand where the calendar puts its hour.
    using namespace std::chrono;
    cnf.rmobLongEcho = false;
    for (const std::int32_t offset : {-9, 5, 0, -24, 30, -47}) {
        SCOPED_TRACE(offset);
        data = Hours();
        cnf.utOffsetHours = offset;
        std::vector<std::pair<year_month_day, int>> expected; // UT day, then hour * 1000 + count
        int count = 100;
        for (const sys_days day : {sys_days{2006y / 2 / 28}, sys_days{2006y / 3 / 1}}) {
            for (int hour = 0; hour < 24; ++hour, ++count) {
                const Timestamp local = day + hours{hour};
                data.add(slot(reportTimeText(local), count, 0, 0, 60));
                const auto ut = local + hours{offset};
                const auto utHour =
                    static_cast<int>(duration_cast<hours>(ut - floor<days>(ut)).count());
                expected.emplace_back(year_month_day{floor<days>(ut)}, utHour * 1000 + count);
            }
        }
        const Lines view = build();
        for (const auto& [ymd, hourAndCount] : expected) {
            const int month = static_cast<int>(static_cast<unsigned>(ymd.month()));
            const auto head = std::find(view.begin(), view.end(), rmobHeadLine(month));
            ASSERT_NE(head, view.end()) << month;
            const std::string dd = std::to_string(100 + static_cast<unsigned>(ymd.day())).substr(1);
            const auto line = std::find_if(head + 1, view.end(), [&dd](const std::string& l) {
                return l.starts_with(dd + " |");
            });
            ASSERT_NE(line, view.end()) << dd;
            const std::size_t at = 4 + 5 * static_cast<std::size_t>(hourAndCount / 1000);
            EXPECT_EQ(line->substr(at, 5), std::to_string(hourAndCount % 1000) + " |") << dd;
        }
    }
}

TEST_F(BuildRmob, NoiseGapAndWideCells) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.add(slot("2006/03/05 00:00", 5, 0, 0, 20, "NoObservexyzw")); // noise: remark
    data.add(slot("2006/03/05 01:00", 5, 0, 0, 20, "z"));             // one char + blank
    data.gap("2006/03/05 02:00");                                     // gap only
    data.add(slot("2006/03/05 03:00", 5, 0, 0, 20));                  // noise, no remark
    data.add(slot("2006/03/05 04:00", 5, 0, 0, 21));                  // one minute more
    data.add(slot("2006/03/05 05:00", 1000, 0, 0, 60));               // four digits
    data.add(slot("2006/03/05 06:00", 2, 0, 0, 60));
    const Lines view = build();
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[3], "05 | xy | z  |??? |??? | 14 |1000 |  2 |" + cells(7, 24));
}

TEST_F(BuildRmob, HeadingsCarryXXWhenDurationsAreUnknown) {
    cnf.rmobOtherData = true;
    data.add(slot("2006/03/05 12:00", 2, 1, 4, 60));
    Lines view = build();
    EXPECT_EQ(view[6], "Echoes longer than XX seconds");
    EXPECT_EQ(view[12], "Echoes longer than XX seconds");
    EXPECT_EQ(view[15], "05 |" + cells(0, 3) + "  4 |" + cells(4, 24));
    cnf.otherDataDurationKnown = true;
    cnf.otherDataSeconds = 25;
    view = build();
    EXPECT_EQ(view[12], "Echoes longer than 25 seconds");
}

TEST_F(BuildRmob, SameMonthOfALaterYearGetsNoNewHeader) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.add(slot("2006/03/05 12:00", 2, 0, 0, 60));
    data.add(slot("2007/03/06 12:00", 2, 0, 0, 60));
    const Lines view = build();
    ASSERT_EQ(view.size(), 5u);
    EXPECT_EQ(view[3].substr(0, 2), "05");
    EXPECT_EQ(view[4].substr(0, 2), "06");
}

TEST_F(BuildRmob, NoHoursGiveTitlesOnly) {
    EXPECT_EQ(build(),
              (Lines{"Total number of echoes", "", "", "", "Echoes longer than XX seconds", ""}));
}
