#include "activity/StationCoordinates.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

std::optional<double> parseCoordinate(std::string_view text, double limit, char positiveLetter,
                                      char negativeLetter) {
    double sign = 1;
    bool sawLetter = false;
    std::vector<double> parts;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const char upper = static_cast<char>(std::toupper(c));
        if (std::isdigit(c) || c == '.') {
            double v = 0;
            auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), v);
            if (ec != std::errc()) {
                return std::nullopt;
            }
            parts.push_back(v);
            i = static_cast<std::size_t>(ptr - text.data());
            continue;
        }
        if ((c == '-' || c == '+') && parts.empty()) {
            sign *= c == '-' ? -1 : 1;
        } else if (upper == positiveLetter || upper == negativeLetter) {
            if (sawLetter) {
                return std::nullopt;
            }
            sawLetter = true;
            sign *= upper == negativeLetter ? -1 : 1;
        } else if (!(std::isspace(c) || c == '\'' || c == '"' || c == ',' || c == 0xB0 ||
                     c == 0xC2 || c == ':')) {
            // 0xB0 is the degree sign in Latin-1, 0xC2 0xB0 in UTF-8.
            return std::nullopt;
        }
        ++i;
    }
    if (parts.empty() || parts.size() > 3) {
        return std::nullopt;
    }
    double value = parts[0];
    for (std::size_t k = 1; k < parts.size(); ++k) {
        if (parts[k] >= 60 || parts[k - 1] != std::floor(parts[k - 1])) {
            return std::nullopt;
        }
        value += parts[k] / (k == 1 ? 60.0 : 3600.0);
    }
    if (!std::isfinite(value) || value > limit) {
        return std::nullopt;
    }
    return sign * value;
}

std::optional<GeoPosition> stationPosition(const StationInfo& station) {
    const auto latitude = parseCoordinate(station.latitude, 90, 'N', 'S');
    const auto longitude = parseCoordinate(station.longitude, 180, 'E', 'W');
    if (!latitude || !longitude) {
        return std::nullopt;
    }
    return GeoPosition{*latitude, *longitude};
}
