#include "reports/TextReport.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Settings settings(std::int32_t nd, bool hr, bool longLines, bool otherLines,
                  std::int32_t rtz = -9) {
    Settings c;
    c.noiseMinutes = nd;
    c.percentRates = hr;
    c.reportLongEcho = longLines;
    c.reportOtherData = otherLines;
    c.utOffsetHours = rtz;
    return c;
}

std::string blanks(std::size_t n) {
    return std::string(n, ' ');
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

// Cell h of an unnarrowed table line without wider cells before it.
std::string cell(const std::string& line, int h) {
    return line.substr(static_cast<std::size_t>(3 + 4 * h), 4);
}

const std::string kLT =
    "LT   00  01  02  03  04  05  06  07  08  09  10  11  12  13  14  15  16  17"
    "  18  19  20  21  22  23";
const std::string kUT =
    "UT   15  16  17  18  19  20  21  22  23  00  01  02  03  04  05  06  07  08"
    "  09  10  11  12  13  14";

const Lines kExampleWide = {
    kLT,
    kUT,
    std::string(99, '-'),
    "January 2005",
    "01   12 %14  --  xy 134" + repeat("  --", 19),
    blanks(3) + "   1" + blanks(12) + "   2" + blanks(76),
};

const Lines kExampleNarrow = {
    "LT  00 01 02 03  04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 21 22 23",
    "UT  15 16 17 18  19 20 21 22 23 00 01 02 03 04 05 06 07 08 09 10 11 12 13 14",
    std::string(76, '-'),
    "January 2005",
    "01  12%14 -- xy 134" + repeat(" --", 19),
    blanks(3) + "  1" + blanks(9) + "   2" + blanks(57),
};

struct TextReportFixture : ::testing::Test {
    Hours data;
    Lines view;

    void build(const Settings& c) {
        view = buildTextReport(data.list(c.utOffsetHours, c.noiseMinutes), c);
    }
    // One hand-made row standing for a whole hour.
    void hour(const std::string& dayHour, std::int64_t echo, std::int64_t obs,
              std::string_view remark = {}, std::int64_t longEcho = 0, std::int64_t other = 0) {
        data.hour(dayHour + ":00", echo, obs, remark, longEcho, other);
    }
    // A row in a later month: its month line keeps every column four wide, so
    // the cells stand at fixed places.
    void keepWide() { hour("2005/03/01 00", 0, 60); }

    void exampleData() {
        for (int m = 0; m < 6; ++m) { // 00: 12 echoes, 1 long echo, a full hour
            data.add(slot("2005/01/01 00:" + std::to_string(m) + "0", 2, m == 2 ? 1 : 0, 0, 10));
        }
        data.add(slot("2005/01/01 01:00", 3, 0, 0, 10)); // 01: half an hour
        data.add(slot("2005/01/01 01:10", 2, 0, 0, 10));
        data.add(slot("2005/01/01 01:20", 2, 0, 0, 10));
        for (int m = 3; m < 6; ++m) {
            data.gap("2005/01/01 01:" + std::to_string(m) + "0");
        }
        for (int m = 0; m < 6; ++m) { // 02: gap rows only
            data.gap("2005/01/01 02:" + std::to_string(m) + "0");
        }
        data.gap("2005/01/01 03:00"); // 03: noise with a remark
        data.add(slot("2005/01/01 03:10", 1, 0, 0, 10, "xy"));
        for (int m = 2; m < 6; ++m) {
            data.gap("2005/01/01 03:" + std::to_string(m) + "0");
        }
        for (int m = 0; m < 6; ++m) { // 04: 134 echoes, 2 long echoes
            data.add(slot("2005/01/01 04:" + std::to_string(m) + "0", m == 0 ? 4 : 26,
                          m == 5 ? 2 : 0, 0, 10));
        }
    }
};

} // namespace

using BuildTextReportTest = TextReportFixture;

TEST(narrowReport, WorkedExampleAndSecondPass) {
    Lines view = kExampleWide;
    narrowReport(view);
    EXPECT_EQ(view, kExampleNarrow);
    narrowReport(view);
    EXPECT_EQ(view, kExampleNarrow) << "an already narrowed report must stay as it is";
}

TEST(narrowReport, ArbitraryAndShortViews) {
    Lines empty;
    narrowReport(empty);
    EXPECT_TRUE(empty.empty());

    // Past the end counts as neither blank nor digit: a short examined line
    // keeps every column.
    Lines shortLine{"ab", blanks(99)};
    narrowReport(shortLine);
    EXPECT_EQ(shortLine, (Lines{"ab", blanks(99)}));

    // Only indices 2 and 3 escape examination; index 3 is never cut, and a
    // line shorter than a cut position keeps its bytes there.
    Lines view{blanks(99), blanks(99) + "\x82\xa0", "xyz" + blanks(5), "   9   9"};
    narrowReport(view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[0], blanks(75));
    EXPECT_EQ(view[1], blanks(75) + "\x82\xa0");
    EXPECT_EQ(view[2], "xyz" + blanks(3));
    EXPECT_EQ(view[3], "   9   9");
}

TEST_F(BuildTextReportTest, WorkedExample) {
    exampleData();
    build(settings(20, true, true, false));
    EXPECT_EQ(view, kExampleNarrow);
}

TEST_F(BuildTextReportTest, FiveCharacterCellShiftsTheRestOfItsLine) {
    hour("2005/01/01 05", 1234, 60);
    hour("2005/01/01 06", 1, 10, "a "); // noise: "  a ", ends in a blank
    build(settings(20, false, false, false));
    ASSERT_EQ(view.size(), 5u);
    // Column 6 is judged on the "4" pushed into its first place; column 7 on
    // the shifted blanks, so it narrows although it holds "  --"; column 8
    // on the shifted "-".
    std::string lt = "LT ";
    std::string ut = "UT ";
    for (int h = 0; h < 24; ++h) {
        const bool narrowed = h <= 4 || h == 7;
        const int u = (h + 15) % 24;
        lt += (narrowed ? " " : "  ") + std::string{char('0' + h / 10), char('0' + h % 10)};
        ut += (narrowed ? " " : "  ") + std::string{char('0' + u / 10), char('0' + u % 10)};
    }
    EXPECT_EQ(view[0], lt);
    EXPECT_EQ(view[1], ut);
    EXPECT_EQ(view[2], std::string(93, '-'));
    EXPECT_EQ(view[3], "January 2005");
    EXPECT_EQ(view[4], "01 " + repeat(" --", 5) + " 1234" + "  a" + repeat("  --", 17));
}

TEST_F(BuildTextReportTest, TwoMonthsAreNeverNarrowed) {
    hour("2005/01/31 23", 5, 60);
    hour("2005/02/01 00", 6, 60);
    build(settings(20, true, false, false));
    ASSERT_EQ(view.size(), 7u);
    EXPECT_EQ(view[0], kLT);
    EXPECT_EQ(view[1], kUT);
    EXPECT_EQ(view[3], "January 2005");
    EXPECT_EQ(view[4], "31 " + repeat("  --", 23) + "   5");
    EXPECT_EQ(view[5], "February 2005");
    EXPECT_EQ(view[6], "01    6" + repeat("  --", 23));
}

TEST_F(BuildTextReportTest, NoiseThresholdAndFullHours) {
    hour("2005/01/01 00", 5, 20);  // equal to the threshold: noise
    hour("2005/01/01 01", 5, 21);  // one more: a number (rate 14.29 with HR)
    hour("2005/01/01 02", 7, 60);  // exactly an hour: the count
    hour("2005/01/01 03", 9, 70);  // merged duplicates: the count
    hour("2005/01/01 04", 3, 40);  // rate 4.5 rounds away from zero
    hour("2005/01/01 05", 82, 40); // rate 123
    hour("2005/01/01 23", 617, 30);
    keepWide();
    build(settings(20, true, false, false));
    ASSERT_GE(view.size(), 5u);
    const std::string& hr = view[4];
    EXPECT_EQ(cell(hr, 0), "  --");
    EXPECT_EQ(cell(hr, 1), " %14");
    EXPECT_EQ(cell(hr, 2), "   7");
    EXPECT_EQ(cell(hr, 3), "   9");
    EXPECT_EQ(cell(hr, 4), "  %5");
    EXPECT_EQ(cell(hr, 5), "%123");
    EXPECT_EQ(hr.substr(3 + 4 * 23), "%1234");

    build(settings(20, false, false, false));
    const std::string& counts = view[4];
    EXPECT_EQ(cell(counts, 0), "  --");
    EXPECT_EQ(cell(counts, 1), "   5");
    EXPECT_EQ(cell(counts, 4), "   3");
    EXPECT_EQ(cell(counts, 5), "  82");
    EXPECT_EQ(counts.substr(3 + 4 * 23), " 617");
}

TEST_F(BuildTextReportTest, HugeCountsAndRatesStayDefined) {
    hour("2005/01/01 23", INT64_MAX, 60);
    hour("2005/01/02 23", INT64_MAX, 1);
    hour("2005/01/03 23", 1234, 60);
    keepWide();
    build(settings(0, true, false, false));
    ASSERT_GE(view.size(), 7u);
    EXPECT_EQ(view[4].substr(3 + 4 * 23), " 9223372036854775807");
    EXPECT_EQ(view[5].substr(3 + 4 * 23), "%9223372036854775807"); // rate saturates
    EXPECT_EQ(view[6].substr(3 + 4 * 23), " 1234");
}

TEST_F(BuildTextReportTest, NoiseAndGapCells) {
    hour("2005/01/01 00", 1, 10);
    hour("2005/01/01 01", 1, 10, "NoObserve");
    hour("2005/01/01 02", 1, 10, "NoObservexy");
    hour("2005/01/01 03", 1, 10, "z");
    hour("2005/01/01 04", 1, 10, "\x82\xa0\x82\xa2"); // two double-byte characters
    hour("2005/01/01 05", 1, 10, "xyNoObserve");
    // A day of gap rows only; passed over even when a negative threshold makes
    // every hour "above noise".
    for (int m = 0; m < 6; ++m) {
        data.gap("2005/01/02 00:" + std::to_string(m) + "0");
    }
    keepWide();
    build(settings(20, true, true, false));
    ASSERT_GE(view.size(), 8u);
    const std::string& day = view[4];
    EXPECT_EQ(cell(day, 0), "  --");
    EXPECT_EQ(cell(day, 1), "  --");
    EXPECT_EQ(cell(day, 2), "  xy");
    EXPECT_EQ(cell(day, 3), "  z-");
    EXPECT_EQ(cell(day, 4), "  \x82\xa0");
    EXPECT_EQ(cell(day, 5), "  xy");
    EXPECT_EQ(view[5], blanks(99)) << "noise hours leave their long-echo cells blank";
    EXPECT_EQ(view[6], "02 " + repeat("  --", 24));
    EXPECT_EQ(view[7], blanks(99));

    build(settings(-1, false, false, false));
    EXPECT_EQ(view[5], "02 " + repeat("  --", 24));
}

TEST_F(BuildTextReportTest, LongEchoAndOtherDataLines) {
    hour("2005/01/01 00", 10, 60, "", 0, 3);
    hour("2005/01/01 01", 10, 60, "", 12, 0);
    hour("2005/01/02 01", 10, 60, "", 0, 0);
    hour("2005/01/02 02", 10, 10, "", 5, 5); // noise: no long or other value
    keepWide();
    build(settings(20, false, true, true));
    ASSERT_GE(view.size(), 10u);
    EXPECT_EQ(view[5], blanks(9) + "12" + blanks(88));
    EXPECT_EQ(view[6], blanks(6) + "3" + blanks(92));
    EXPECT_EQ(view[7].substr(0, 11), "02   --  10");
    EXPECT_EQ(view[8], blanks(99));
    EXPECT_EQ(view[9], blanks(99)) << "no other-data value carries over from the day before";

    build(settings(20, false, false, true));
    EXPECT_EQ(view[5], blanks(6) + "3" + blanks(92));
    EXPECT_EQ(view[6].substr(0, 3), "02 ");
}

TEST_F(BuildTextReportTest, MonthLines) {
    hour("2005/01/15 13", 10, 60); // starts mid-month and mid-day
    hour("2005/01/16 00", 10, 60);
    hour("2006/01/17 00", 10, 60); // same month digits: no new month line
    hour("2006/02/01 00", 10, 60);
    build(settings(20, false, false, false));
    ASSERT_EQ(view.size(), 9u);
    EXPECT_EQ(view[3], "January 2005");
    EXPECT_EQ(view[4], "15 " + repeat("  --", 13) + "  10" + repeat("  --", 10));
    EXPECT_EQ(view[5].substr(0, 2), "16");
    EXPECT_EQ(view[6].substr(0, 2), "17");
    EXPECT_EQ(view[7], "February 2006");
    EXPECT_EQ(view[8].substr(0, 7), "01   10");
}

TEST_F(BuildTextReportTest, UtHeadingFollowsTheTimeZone) {
    auto utFor = [&](std::int32_t rtz) {
        build(settings(20, false, false, false, rtz));
        return view.at(1);
    };
    hour("2005/01/01 00", 10, 60);
    hour("2005/02/01 00", 10, 60); // keeps the headings unnarrowed
    EXPECT_EQ(utFor(-9), kUT);
    EXPECT_EQ(utFor(0).substr(2), kLT.substr(2));
    EXPECT_EQ(utFor(-5),
              "UT   19  20  21  22  23  00  01  02  03  04  05  06  07  08  09  10  11  12"
              "  13  14  15  16  17  18");
    EXPECT_EQ(utFor(99), utFor(3));
    EXPECT_EQ(utFor(INT32_MAX), utFor(7));
    EXPECT_EQ(utFor(INT32_MIN), utFor(16));
}

TEST_F(BuildTextReportTest, NoHourRowsGivesHeadingsOnly) {
    build(settings(20, true, true, true, 0));
    ASSERT_EQ(view.size(), 3u);
    EXPECT_EQ(view[0],
              "LT  00 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 21 22 23");
    EXPECT_EQ(view[1],
              "UT  00 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 21 22 23");
    EXPECT_EQ(view[2], std::string(75, '-'));
}
