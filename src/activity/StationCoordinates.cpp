#include "activity/StationCoordinates.h"

std::optional<GeoPosition> stationPosition(const StationInfo& station) {
    const auto latitude = parseDegrees(station.latitude, 90, 'N', 'S');
    const auto longitude = parseDegrees(station.longitude, 180, 'E', 'W');
    if (!latitude || !longitude) {
        return std::nullopt;
    }
    return GeoPosition{*latitude, *longitude};
}
