#pragma once
// The station's place on Earth, read from the station file's coordinate
// fields for the radiant's elevation. Observers type these by hand, so more
// than the monthly file's plain decimal degrees is taken: a hemisphere letter
// before or after the number, a degree sign, degrees-minutes-seconds.

#include "activity/SkyGeometry.h"
#include "config/StationInfo.h"

#include <optional>
#include <string_view>

// Degrees from "35.6889", "-139.7", "35.6889 N", "W 139.7", "35°41'20\"N",
// "35 41 20 N"; nothing for empty text, text that is no angle, or a magnitude
// above limit. The letters are positiveLetter and negativeLetter (N/S or E/W),
// either case.
std::optional<double> parseCoordinate(std::string_view text, double limit, char positiveLetter,
                                      char negativeLetter);

// Nothing when either field is missing or unreadable.
std::optional<GeoPosition> stationPosition(const StationInfo& station);
