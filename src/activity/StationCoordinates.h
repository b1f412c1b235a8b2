#pragma once
// The station's place on Earth, read from the station file's coordinate
// fields for the radiant's elevation. The fields are read as the monthly
// file's block reads them (parseDegrees), so a place the dialog accepts is
// the place the analysis uses.

#include "activity/SkyGeometry.h"
#include "config/StationInfo.h"

#include <optional>

// Nothing when either field is missing or unreadable.
std::optional<GeoPosition> stationPosition(const StationInfo& station);
