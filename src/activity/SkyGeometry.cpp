#include "activity/SkyGeometry.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

namespace {

constexpr double kDegreesPerRadian = 180.0 / ERFA_DPI;

double normalizeDegrees(double d) {
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}

} // namespace

double terrestrialTimeOffsetDays(double julianDateUtc) {
    int y = 0, m = 0, d = 0;
    double fraction = 0;
    double taiMinusUtc = 37.0; // the latest value, for dates ERFA cannot take
    if (eraJd2cal(julianDateUtc, 0.0, &y, &m, &d, &fraction) == 0) {
        double dat = 0;
        // Before 1960 ERFA has no value (and warns by a positive status for
        // dates past its table): its answer is still the best there is.
        if (eraDat(y, m, d, fraction, &dat) >= 0) {
            taiMinusUtc = dat;
        }
    }
    return (taiMinusUtc + 32.184) / 86400.0;
}

double solarLongitude(double julianDateUtc) {
    const double tt = julianDateUtc + terrestrialTimeOffsetDays(julianDateUtc);
    double heliocentric[2][3], barycentric[2][3];
    eraEpv00(ERFA_DJ00, tt - ERFA_DJ00, heliocentric, barycentric);
    // The geocentric Sun is the heliocentric Earth reversed.
    double sun[3] = {-heliocentric[0][0], -heliocentric[0][1], -heliocentric[0][2]};
    double toEcliptic[3][3];
    eraEcm06(ERFA_DJ00, 0.0, toEcliptic); // mean ecliptic and equinox of J2000.0
    double ecliptic[3];
    eraRxp(toEcliptic, sun, ecliptic);
    const double distance = eraPm(sun);
    // Annual aberration: the Sun is seen where it was 8.3 minutes ago.
    const double aberration = 20.49552 / 3600.0 / distance;
    return normalizeDegrees(std::atan2(ecliptic[1], ecliptic[0]) * kDegreesPerRadian - aberration);
}

double timeOfSolarLongitude(double longitude, double fromJulianDate) {
    // The Sun moves about 0.9856 degrees a day; Newton's steps on that slope
    // converge to well below a second in a few rounds.
    double t =
        fromJulianDate + normalizeDegrees(longitude - solarLongitude(fromJulianDate)) / 0.985647;
    for (int i = 0; i < 6; ++i) {
        double diff = std::remainder(longitude - solarLongitude(t), 360.0);
        t += diff / 0.985647;
        if (std::fabs(diff) < 1e-7) {
            break;
        }
    }
    return t;
}

double meanSiderealTime(double julianDateUtc) {
    const double tt = julianDateUtc + terrestrialTimeOffsetDays(julianDateUtc);
    return normalizeDegrees(eraGmst06(julianDateUtc, 0.0, tt, 0.0) * kDegreesPerRadian);
}

double apparentSiderealTime(double julianDateUtc) {
    const double tt = julianDateUtc + terrestrialTimeOffsetDays(julianDateUtc);
    return normalizeDegrees((eraGmst06(julianDateUtc, 0.0, tt, 0.0) + eraEe06a(tt, 0.0)) *
                            kDegreesPerRadian);
}

double elevationOfDate(double rightAscension, double declination, double siderealTime,
                       const GeoPosition& station) {
    const double hourAngle =
        (siderealTime + station.longitude - rightAscension) / kDegreesPerRadian;
    const double dec = declination / kDegreesPerRadian;
    const double lat = station.latitude / kDegreesPerRadian;
    const double s =
        std::sin(lat) * std::sin(dec) + std::cos(lat) * std::cos(dec) * std::cos(hourAngle);
    return std::asin(std::fmax(-1.0, std::fmin(1.0, s))) * kDegreesPerRadian;
}

RadiantSky::RadiantSky(double epochJulianDateUtc) {
    const double tt = epochJulianDateUtc + terrestrialTimeOffsetDays(epochJulianDateUtc);
    eraPnm06a(tt, 0.0, matrix_);
    equationOfEquinoxes_ = eraEe06a(tt, 0.0);
}

void RadiantSky::toDate(double rightAscensionJ2000, double declinationJ2000, double& rightAscension,
                        double& declination) const {
    double j2000[3], ofDate[3];
    eraS2c(rightAscensionJ2000 / kDegreesPerRadian, declinationJ2000 / kDegreesPerRadian, j2000);
    double matrix[3][3]; // ERFA takes no const matrices
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) {
            matrix[i][k] = matrix_[i][k];
        }
    }
    eraRxp(matrix, j2000, ofDate);
    double ra = 0, dec = 0;
    eraC2s(ofDate, &ra, &dec);
    rightAscension = normalizeDegrees(ra * kDegreesPerRadian);
    declination = dec * kDegreesPerRadian;
}

double RadiantSky::elevation(double rightAscensionJ2000, double declinationJ2000,
                             double julianDateUtc, const GeoPosition& station) const {
    double ra = 0, dec = 0;
    toDate(rightAscensionJ2000, declinationJ2000, ra, dec);
    const double tt = julianDateUtc + terrestrialTimeOffsetDays(julianDateUtc);
    const double sidereal =
        (eraGmst06(julianDateUtc, 0.0, tt, 0.0) + equationOfEquinoxes_) * kDegreesPerRadian;
    return elevationOfDate(ra, dec, normalizeDegrees(sidereal), station);
}
