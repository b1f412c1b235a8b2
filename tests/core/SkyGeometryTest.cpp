// Solar longitude and radiant elevation against published values.

#include "activity/SkyGeometry.h"
#include "activity/StationCoordinates.h"
#include "activity/UtHourCounts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

double julianDate(int y, int mo, int d, int h, int mi) {
    return julianDateOfUnixHours(static_cast<double>(unixHourOf(y, mo, d, h)) + mi / 60.0);
}

// The Sun's apparent longitude of date is 0, 90, 180, 270 at the equinoxes
// and solstices; referred to J2000.0 it is smaller by the precession since
// then and the nutation in longitude (the short series, good to half a
// second of arc).
double j2000LongitudeAtSeason(double jd, double ofDate) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double precession = (5028.796195 * t + 1.1054348 * t * t) / 3600.0;
    const double node = (125.04452 - 1934.136261 * t) * kPi / 180.0;
    const double sun = (280.4665 + 36000.7698 * t) * kPi / 180.0;
    const double moon = (218.3165 + 481267.8813 * t) * kPi / 180.0;
    const double nutation = (-17.20 * std::sin(node) - 1.32 * std::sin(2 * sun) -
                             0.23 * std::sin(2 * moon) + 0.21 * std::sin(2 * node)) /
                            3600.0;
    return std::fmod(ofDate - precession - nutation + 720.0, 360.0);
}

double angleDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

} // namespace

TEST(SolarLongitude, EquinoxesAndSolsticesOfTheAlmanac) {
    struct Season {
        int y, mo, d, h, mi;
        double ofDate;
    };
    const Season seasons[] = {
        {2000, 3, 20, 7, 35, 0},     {2000, 6, 21, 1, 48, 90},   {2000, 9, 22, 17, 28, 180},
        {2000, 12, 21, 13, 37, 270}, {2020, 3, 20, 3, 50, 0},    {2020, 6, 20, 21, 44, 90},
        {2020, 9, 22, 13, 31, 180},  {2020, 12, 21, 10, 2, 270},
    };
    for (const Season& s : seasons) {
        const double jd = julianDate(s.y, s.mo, s.d, s.h, s.mi);
        EXPECT_NEAR(angleDifference(solarLongitude(jd), j2000LongitudeAtSeason(jd, s.ofDate)), 0,
                    0.01)
            << s.y << "-" << s.mo << "-" << s.d;
    }
}

TEST(SolarLongitude, LeonidStormOf1999) {
    // The storm's maximum, 1999 November 18 02:02 UT, at 235.285 degrees.
    EXPECT_NEAR(solarLongitude(julianDate(1999, 11, 18, 2, 2)), 235.285, 0.01);
}

TEST(TimeOfSolarLongitude, FindsTheInstantAgain) {
    const double jd = timeOfSolarLongitude(262.2, julianDate(2016, 11, 1, 0, 0));
    EXPECT_NEAR(solarLongitude(jd), 262.2, 1e-6);
    // The 2016 Geminid maximum was announced for December 14 near 00h UT.
    const UtDateHour t = utDateHourOf(static_cast<std::int64_t>((jd - kUnixEpochJulianDate) * 24));
    EXPECT_EQ(t.day, 14);
    EXPECT_LE(t.hour, 2);
    // Across 0 degrees: the March equinox seen from the January before.
    const double spring = timeOfSolarLongitude(359.9, julianDate(2020, 1, 1, 0, 0));
    EXPECT_NEAR(angleDifference(solarLongitude(spring), 359.9), 0, 1e-6);
}

TEST(Elevation, VenusOverWashingtonFromTheTextbook) {
    // 1987 April 10 19:21 UT at the Naval Observatory; apparent place of date.
    const double jd = julianDate(1987, 4, 10, 19, 21);
    const double sidereal = apparentSiderealTime(jd);
    EXPECT_NEAR(sidereal, (8 + 34 / 60.0 + 56.853 / 3600.0) * 15, 0.01);
    const GeoPosition washington{38 + 55 / 60.0 + 17 / 3600.0, -(77 + 3 / 60.0 + 56 / 3600.0)};
    const double ra = (23 + 9 / 60.0 + 16.641 / 3600.0) * 15;
    const double dec = -(6 + 43 / 60.0 + 11.61 / 3600.0);
    EXPECT_NEAR(elevationOfDate(ra, dec, sidereal, washington), 15.1249, 0.01);
}

TEST(RadiantSky, PrecessesAStarToTheTextbookPlace) {
    // theta Persei, J2000.0 place moved by its proper motion to 2028 November
    // 13.19 TD; the mean place of date is 2h46m11.331s +49d20m54.54s.
    const double years = 28.86;
    const double ra0 = (2 + 44 / 60.0 + (11.986 + 0.03425 * years) / 3600.0) * 15;
    const double dec0 = 49 + 13 / 60.0 + (42.48 - 0.0895 * years) / 3600.0;
    const RadiantSky sky(2462088.69 - 69.184 / 86400.0);
    double ra = 0, dec = 0;
    sky.toDate(ra0, dec0, ra, dec);
    const double expectedDec = 49 + 20 / 60.0 + 54.54 / 3600.0;
    EXPECT_NEAR(dec, expectedDec, 0.01);
    EXPECT_NEAR((ra - (2 + 46 / 60.0 + 11.331 / 3600.0) * 15) * std::cos(dec * kPi / 180), 0, 0.01);
}

TEST(StationPosition, NeedsBothFields) {
    StationInfo s;
    EXPECT_FALSE(stationPosition(s));
    s.latitude = "35.7";
    EXPECT_FALSE(stationPosition(s));
    s.longitude = "somewhere";
    EXPECT_FALSE(stationPosition(s));
    s.longitude = "139.8E";
    ASSERT_TRUE(stationPosition(s));
    EXPECT_DOUBLE_EQ(stationPosition(s)->longitude, 139.8);
}
