// Inputs the fuzz targets (tests/fuzz) found to break the core, each kept as
// the smallest case that showed the fault.

#include "reports/Colorgramme.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"

#include "HourTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

Hours lastHourOfTheCalendar() {
    Hours hours;
    hours.hour("9999/12/31 23:00", 5, 60);
    return hours;
}

} // namespace

TEST(buildRmob, ShiftPastTheYear9999KeepsMonthDayAndHour) {
    // Found by fuzz_settings: a settings file with RTZ 12 moved the last hour
    // of 9999 into a five-digit year, and the month was read from the wrong
    // digits (month 0: an index before the month names).
    Settings cnf;
    cnf.utOffsetHours = 12;
    const std::vector<std::string> view = buildRmob(lastHourOfTheCalendar().list(12, 20), cnf);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_TRUE(view[2].starts_with("Jan| 00h|")) << view[2];
    EXPECT_EQ(view[3].substr(0, 4), "01 |");
    EXPECT_EQ(view[3].substr(4 + 11 * 5, 5), "  5 |") << "hour 11 UT";
}

TEST(buildRmob, AnyStoredTimeZoneBuildsTables) {
    // The window offers -12 to 12; a settings file holds any 32-bit value.
    const Hours hours = lastHourOfTheCalendar();
    for (std::int32_t rtz : {std::numeric_limits<std::int32_t>::max(),
                             std::numeric_limits<std::int32_t>::min(), 1'000'000, -1'000'000}) {
        Settings cnf;
        cnf.utOffsetHours = rtz;
        cnf.rmobLongEcho = cnf.rmobOtherData = true;
        const UtHourList list = hours.list(rtz, 20);
        EXPECT_EQ(buildRmob(list, cnf).size(), 16u) << rtz; // three tables of one day each
        EXPECT_FALSE(buildTextReport(list, cnf).empty()) << rtz;
    }
}

TEST(buildColorgrammes, ShiftPastTheCalendarIsLeftOut) {
    // The same shift would have named a month 0 of the year 1000; the picture
    // has no month for such an hour, so it is left out, and the monthly
    // upload files do the same.
    const Hours hours = lastHourOfTheCalendar();
    for (std::int32_t rtz :
         {12, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
        const UtHourList list = hours.list(rtz, 20);
        EXPECT_TRUE(buildColorgrammes(list).empty()) << rtz;
        EXPECT_TRUE(buildRmobMonthTables(list).empty()) << rtz;
    }
    EXPECT_EQ(buildColorgrammes(hours.list(-1, 20)).size(), 1u);
}
