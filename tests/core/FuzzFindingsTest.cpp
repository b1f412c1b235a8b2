// Inputs the fuzz targets (tests/fuzz) found to break the core, each kept as
// the smallest case that showed the fault.

#include "reports/Colorgramme.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

void lastHourOfTheCalendar(HourTable& data) {
    data.init();
    TenMinuteRow row;
    row.time = *tryEncodeDateTime(9999, 12, 31, 23, 0, 0);
    row.echo = 5;
    row.observedMinutes = 60;
    data.addRow(row);
}

} // namespace

TEST(buildRmob, ShiftPastTheYear9999KeepsMonthDayAndHour) {
    // Found by fuzz_settings: a settings file with RTZ 12 moved the last hour
    // of 9999 into a five-digit year, and the month was read from the wrong
    // digits (month 0: an index before the month names).
    HourTable data;
    lastHourOfTheCalendar(data);
    Settings cnf;
    cnf.utOffsetHours = 12;
    cnf.noiseMinutes = 20;
    std::vector<std::string> view;
    buildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_TRUE(view[2].starts_with("Jan| 00h|")) << view[2];
    EXPECT_EQ(view[3].substr(0, 4), "01 |");
    EXPECT_EQ(view[3].substr(4 + 11 * 5, 5), "  5 |") << "hour 11 UT";
}

TEST(buildRmob, AnyStoredTimeZoneBuildsTables) {
    // The window offers -12 to 12; a settings file holds any 32-bit value.
    HourTable data;
    lastHourOfTheCalendar(data);
    for (std::int32_t rtz : {std::numeric_limits<std::int32_t>::max(),
                             std::numeric_limits<std::int32_t>::min(), 1'000'000, -1'000'000}) {
        Settings cnf;
        cnf.utOffsetHours = rtz;
        cnf.noiseMinutes = 20;
        cnf.rmobLongEcho = cnf.rmobOtherData = true;
        std::vector<std::string> view;
        buildRmob(data, cnf, view);
        ASSERT_EQ(view.size(), 16u) << rtz; // three tables of one day each
        buildTextReport(data, cnf, view);
        EXPECT_FALSE(view.empty()) << rtz;
    }
}

TEST(buildColorgrammes, ShiftPastTheCalendarIsLeftOut) {
    // The same shift would have named a month 0 of the year 1000; the picture
    // has no month for such an hour, so it is left out, and the monthly
    // upload files do the same.
    HourTable data;
    lastHourOfTheCalendar(data);
    Settings cnf;
    cnf.noiseMinutes = 20;
    for (std::int32_t rtz :
         {12, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
        cnf.utOffsetHours = rtz;
        for (const ColorgrammeMonth& m : buildColorgrammes(data, cnf)) {
            EXPECT_GE(m.month, 1);
            EXPECT_LE(m.month, 12);
            EXPECT_GE(m.year, 1);
        }
        EXPECT_NO_THROW(buildRmobMonthTables(data, cnf));
    }
    cnf.utOffsetHours = -1;
    ASSERT_EQ(buildColorgrammes(data, cnf).size(), 1u);
}
