#pragma once
// The few pieces of positional astronomy that shower profiles need, on top of
// ERFA: the Sun's longitude (the calendar of shower work) and the elevation of
// a radiant at the station. Times are UTC as Julian dates; UT1 is taken as
// UTC (under a second apart, far below an hour's resolution).

#include <optional>

struct GeoPosition {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

constexpr double kUnixEpochJulianDate = 2440587.5;

// Julian date of a time given in hours since 1970-01-01 00:00 UT.
inline double julianDateOfUnixHours(double hours) {
    return kUnixEpochJulianDate + hours / 24.0;
}

// TT minus UTC in days, from ERFA's table of leap seconds.
double terrestrialTimeOffsetDays(double julianDateUtc);

// The Sun's apparent geocentric ecliptic longitude referred to the mean
// equinox of J2000.0, in degrees [0, 360).
double solarLongitude(double julianDateUtc);

// The first time at or after fromJulianDate (UTC) at which the solar longitude
// reaches the given value; within a year of it.
double timeOfSolarLongitude(double longitude, double fromJulianDate);

// Greenwich apparent sidereal time in degrees [0, 360).
double apparentSiderealTime(double julianDateUtc);
// Greenwich mean sidereal time in degrees [0, 360).
double meanSiderealTime(double julianDateUtc);

// Geometric elevation (no refraction) in degrees of a direction given by its
// right ascension and declination of date, for a sidereal time in degrees.
double elevationOfDate(double rightAscension, double declination, double siderealTime,
                       const GeoPosition& station);

// Converts J2000.0 directions to the true equator and equinox of one epoch,
// and gives their elevation at times near it. Build one per shower and year:
// precession and nutation barely move within a month, so the matrix and the
// equation of the equinoxes are computed once.
class RadiantSky {
public:
    explicit RadiantSky(double epochJulianDateUtc);

    // Right ascension and declination of date, degrees.
    void toDate(double rightAscensionJ2000, double declinationJ2000, double& rightAscension,
                double& declination) const;
    double elevation(double rightAscensionJ2000, double declinationJ2000, double julianDateUtc,
                     const GeoPosition& station) const;

private:
    double matrix_[3][3];
    double equationOfEquinoxes_; // radians
};
