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

void lastHourOfTheCalendar(TReportDataList& data) {
    data.Init();
    TCSVDataRecord row;
    row.Time = *TryEncodeDateTime(9999, 12, 31, 23, 0, 0);
    row.Echo = 5;
    row.ObsTime = 60;
    data.AddRecord(row);
}

} // namespace

TEST(BuildRmob, ShiftPastTheYear9999KeepsMonthDayAndHour) {
    // Found by fuzz_settings: a settings file with RTZ 12 moved the last hour
    // of 9999 into a five-digit year, and the month was read from the wrong
    // digits (month 0: an index before the month names).
    TReportDataList data;
    lastHourOfTheCalendar(data);
    TCnfData cnf;
    cnf.RTZ = 12;
    cnf.nd = 20;
    std::vector<std::string> view;
    BuildRmob(data, cnf, view);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_TRUE(view[2].starts_with("Jan| 00h|")) << view[2];
    EXPECT_EQ(view[3].substr(0, 4), "01 |");
    EXPECT_EQ(view[3].substr(4 + 11 * 5, 5), "  5 |") << "hour 11 UT";
}

TEST(BuildRmob, AnyStoredTimeZoneBuildsTables) {
    // The window offers -12 to 12; a settings file holds any 32-bit value.
    TReportDataList data;
    lastHourOfTheCalendar(data);
    for (std::int32_t rtz : {std::numeric_limits<std::int32_t>::max(),
                             std::numeric_limits<std::int32_t>::min(), 1'000'000, -1'000'000}) {
        TCnfData cnf;
        cnf.RTZ = rtz;
        cnf.nd = 20;
        cnf.RMOBLE = cnf.RMOBOD = true;
        std::vector<std::string> view;
        BuildRmob(data, cnf, view);
        ASSERT_EQ(view.size(), 16u) << rtz; // three tables of one day each
        BuildTextReport(data, cnf, view);
        EXPECT_FALSE(view.empty()) << rtz;
    }
}

TEST(BuildColorgrammes, ShiftPastTheCalendarIsLeftOut) {
    // The same shift would have named a month 0 of the year 1000; the picture
    // has no month for such an hour, so it is left out, and the monthly
    // upload files do the same.
    TReportDataList data;
    lastHourOfTheCalendar(data);
    TCnfData cnf;
    cnf.nd = 20;
    for (std::int32_t rtz :
         {12, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
        cnf.RTZ = rtz;
        for (const ColorgrammeMonth& m : BuildColorgrammes(data, cnf)) {
            EXPECT_GE(m.Month, 1);
            EXPECT_LE(m.Month, 12);
            EXPECT_GE(m.Year, 1);
        }
        EXPECT_NO_THROW(BuildRmobMonthTables(data, cnf));
    }
    cnf.RTZ = -1;
    ASSERT_EQ(BuildColorgrammes(data, cnf).size(), 1u);
}
