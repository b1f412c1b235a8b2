#include "reports/Rmob.h"
#include "reports/ViewFile.h"

#include "TestSupport.h"

#include "TenMinuteTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

Settings defaults() {
    Settings c;
    c.utOffsetHours = -9;
    c.noiseMinutes = 20;
    c.rmobLongEcho = true;
    c.longEchoSeconds = 10;
    c.otherDataSeconds = 20;
    return c;
}

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
    HourTable data;
    Settings cnf = defaults();
    std::vector<std::string> view{"RMOB_View"};
    void SetUp() override { data.init(); }
};

} // namespace

using BuildRmob_ = RmobFixture;

TEST_F(BuildRmob_, WorkedExampleWithDateRollToTheYearBefore) {
    cnf.longEchoDurationKnown = true;
    data.addRow(slot("2006/01/01 08:00", 40, 3, 0, 60));
    // 09h: remark AB from a ten-minute row, then the gap marker.
    data.addRow(slot("2006/01/01 09:00", 7, 1, 0, 15, "AB"));
    data.addRow(slot("2006/01/01 09:10", 0, 0, 0, 0, "NoObserve"));
    data.addRow(slot("2006/01/01 10:00", 9, 2, 0, 45));
    buildRmob(data, cnf, view);
    const std::vector<std::string> expected = {
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
    EXPECT_EQ(view, expected);
    EXPECT_EQ(view[2].size(), 126u);
    EXPECT_EQ(view[3].size(), 124u);
}

TEST_F(BuildRmob_, ZeroTimeZoneKeepsLocalKeys) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.addRow(slot("2006/01/01 08:00", 40, 3, 0, 60));
    buildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[2], "Jan" + kHead);
    EXPECT_EQ(view[3], "01 |" + cells(0, 8) + " 40 |" + cells(9, 24));
}

TEST_F(BuildRmob_, EveryHourLandsInItsUtCellWhateverTheOffset) {
    // Two local days across a month's end, every hour its own count, moved
    // by offsets that keep the date, cross it either way or skip whole days:
    // each count must stand where the calendar puts its hour.
    cnf.rmobLongEcho = false;
    for (const std::int32_t offset : {-9, 5, 0, -24, 30, -47}) {
        data.init();
        cnf.utOffsetHours = offset;
        std::vector<std::pair<std::string, int>> expected; // UT key, count
        int count = 100;
        for (const char* date : {"2006/02/28", "2006/03/01"}) {
            for (int hour = 0; hour < 24; ++hour, ++count) {
                const std::string hh = (hour < 10 ? "0" : "") + std::to_string(hour);
                data.addRow(slot(std::string(date) + " " + hh + ":00", count, 0, 0, 60));
                const std::string local = std::string(date).erase(7, 1).erase(4, 1) + hh;
                expected.emplace_back(shiftHourKey(local, offset), count);
            }
        }
        view.clear();
        buildRmob(data, cnf, view);
        for (const auto& [key, value] : expected) {
            const auto head = std::find(view.begin(), view.end(), rmobHeadLine(key.substr(4, 2)));
            ASSERT_NE(head, view.end()) << offset << " " << key;
            const auto line = std::find_if(head + 1, view.end(), [&key](const std::string& l) {
                return l.starts_with(key.substr(6, 2) + " |");
            });
            ASSERT_NE(line, view.end()) << offset << " " << key;
            const std::size_t at = 4 + 5 * static_cast<std::size_t>(std::stoi(key.substr(8, 2)));
            EXPECT_EQ(line->substr(at, 5), std::to_string(value) + " |") << offset << " " << key;
        }
    }
}

TEST_F(BuildRmob_, NoiseGapAndWideCells) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.addRow(slot("2006/03/05 00:00", 5, 0, 0, 20, "NoObservexyzw")); // noise: remark
    data.addRow(slot("2006/03/05 01:00", 5, 0, 0, 20, "z"));             // one char + blank
    data.addRow(slot("2006/03/05 02:00", 0, 0, 0, 0, "NoObserve"));      // gap only
    data.addRow(slot("2006/03/05 03:00", 5, 0, 0, 20));                  // noise, no remark
    data.addRow(slot("2006/03/05 04:00", 5, 0, 0, 21));                  // one minute more
    data.addRow(slot("2006/03/05 05:00", 1000, 0, 0, 60));               // four digits
    data.addRow(slot("2006/03/05 06:00", 2, 0, 0, 60));
    buildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[3], "05 | xy | z  |??? |??? | 14 |1000 |  2 |" + cells(7, 24));
}

TEST_F(BuildRmob_, TwoRowsOfOneUtHourTheLaterWins) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.addRow(slot("2006/03/05 06:00", 2, 0, 0, 60));
    data.addRow(slot("2006/03/05 07:00", 3, 0, 0, 60));
    // Local hour rows are unique, but two can land on one UT hour when the
    // keys were edited or the clock jumped; the later row fills the cell.
    data.top->next->time = "2006030506";
    buildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[3], "05 |" + cells(0, 6) + "  3 |" + cells(7, 24));
}

TEST_F(BuildRmob_, HeadingsCarryXXWhenDurationsAreUnknown) {
    cnf.rmobOtherData = true;
    data.addRow(slot("2006/03/05 12:00", 2, 1, 4, 60));
    buildRmob(data, cnf, view);
    EXPECT_EQ(view[6], "Echoes longer than XX seconds");
    EXPECT_EQ(view[12], "Echoes longer than XX seconds");
    EXPECT_EQ(view[15], "05 |" + cells(0, 3) + "  4 |" + cells(4, 24));
    cnf.otherDataDurationKnown = true;
    cnf.otherDataSeconds = 25;
    buildRmob(data, cnf, view);
    EXPECT_EQ(view[12], "Echoes longer than 25 seconds");
}

TEST_F(BuildRmob_, SameMonthOfALaterYearGetsNoNewHeader) {
    cnf.utOffsetHours = 0;
    cnf.rmobLongEcho = false;
    data.addRow(slot("2006/03/05 12:00", 2, 0, 0, 60));
    data.addRow(slot("2007/03/06 12:00", 2, 0, 0, 60));
    buildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 5u);
    EXPECT_EQ(view[3].substr(0, 2), "05");
    EXPECT_EQ(view[4].substr(0, 2), "06");
}

TEST_F(BuildRmob_, NoHourRowsReplacesTheViewWithTitlesOnly) {
    view = {"old table"};
    buildRmob(data, cnf, view);
    EXPECT_EQ(view, (std::vector<std::string>{"Total number of echoes", "", "", "",
                                              "Echoes longer than XX seconds", ""}));
}

TEST(writeViewFile, BacksUpAndEndsWithAnEmptyLine) {
    TempDir dir;
    const std::string name = dir.file("rmob.txt");
    writeFile(name, "previous");
    writeFile(dir.file("rmob.bak"), "older");
    writeViewFile(name, {"a", "", "b"});
    EXPECT_EQ(readFile(name), "a\r\n\r\nb\r\n\r\n");
    EXPECT_EQ(readFile(dir.file("rmob.bak")), "previous");
    writeViewFile(name, {});
    EXPECT_EQ(readFile(name), "\r\n");
}
