#include "config/StationInfo.h"

#include "shared/CodePage.h"
#include "shared/FileNames.h"
#include "shared/LineReader.h"
#include "shared/TextFile.h"
#include "shared/Utf8CodePoints.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace {

constexpr double kLongitudeLimit = 180.0;
constexpr double kLatitudeLimit = 90.0;

std::string_view trimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

const StationField* fieldByKey(std::string_view key) {
    for (const StationField& f : stationFields()) {
        if (key == f.key) {
            return &f;
        }
    }
    return nullptr;
}

// The coordinate fields with the magnitude each may reach.
struct CoordinateField {
    std::string StationInfo::*member;
    const char* key;
    double limit;
    char positive, negative;
};
constexpr std::array<CoordinateField, 4> kCoordinateFields = {{
    {&StationInfo::longitude, "Longitude", kLongitudeLimit, 'E', 'W'},
    {&StationInfo::latitude, "Latitude", kLatitudeLimit, 'N', 'S'},
    {&StationInfo::longitudeGmap, "LongitudeGMAP", kLongitudeLimit, 'E', 'W'},
    {&StationInfo::latitudeGmap, "LatitudeGMAP", kLatitudeLimit, 'N', 'S'},
}};

std::string joinKeys(const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& k : keys) {
        if (!out.empty()) {
            out += ", ";
        }
        out += k;
    }
    return out;
}

void appendDigits(std::string& out, std::int64_t value, int width) {
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<size_t>(width)) {
        out.append(static_cast<size_t>(width) - digits.size(), '0');
    }
    out += digits;
}

} // namespace

const std::array<StationField, 16>& stationFields() {
    static const std::array<StationField, 16> fields = {{
        {"Observer", "[Observer]", &StationInfo::observer, true},
        {"Country", "[Country]", &StationInfo::country, true},
        {"City", "[City]", &StationInfo::city, true},
        {"Longitude", "[Longitude]", &StationInfo::longitude, true},
        {"Latitude", "[Latitude ]", &StationInfo::latitude, true},
        {"LongitudeGMAP", "[Longitude GMAP]", &StationInfo::longitudeGmap, true},
        {"LatitudeGMAP", "[Latitude GMAP]", &StationInfo::latitudeGmap, true},
        {"Frequencies", "[Frequencies]", &StationInfo::frequencies, true},
        {"Antenna", "[Antenna]", &StationInfo::antenna, true},
        {"AzimutAntenna", "[Azimut Antenna]", &StationInfo::antennaAzimuth, true},
        {"ElevationAntenna", "[Elevation Antenna]", &StationInfo::antennaElevation, true},
        {"PreAmplifier", "[Pre-Amplifier]", &StationInfo::preAmplifier, true},
        {"Receiver", "[Receiver]", &StationInfo::receiver, true},
        {"ObservingMethod", "[Observing Method]", &StationInfo::observingMethod, true},
        // Free remarks: a station with nothing to add is still complete.
        {"Remarks", "[Remarks]", &StationInfo::remarks, false},
        {"E", "[E]", &StationInfo::email, true},
    }};
    return fields;
}

std::string defaultStationFileName(const std::string& cnfFileName) {
    return replaceExtension(cnfFileName, ".station");
}

StationInfo loadStationInfo(const std::string& path) {
    StationInfo info;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return info;
    }
    std::string_view text;
    const std::string bytes = readWholeFile(path);
    text = bytes;
    // Editors on the observers' systems often put a byte order mark first.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    forEachLine(text, [&](std::string_view line) {
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            return;
        }
        if (const StationField* f = fieldByKey(trimBlanks(line.substr(0, eq)))) {
            info.*(f->member) = std::string(trimBlanks(line.substr(eq + 1)));
        }
    });
    return info;
}

void saveStationInfo(const std::string& path, const StationInfo& info) {
    TextFileWriter out(path);
    for (const StationField& f : stationFields()) {
        std::string value = info.*(f.member);
        for (char& c : value) {
            if (c == '\r' || c == '\n') {
                c = ' ';
            }
        }
        out.write(f.key);
        out.write("=");
        out.writeLine(value);
    }
    out.close();
}

std::vector<std::string> missingStationFields(const StationInfo& info) {
    std::vector<std::string> keys;
    for (const StationField& f : stationFields()) {
        if (f.required && trimBlanks(info.*(f.member)).empty()) {
            keys.emplace_back(f.key);
        }
    }
    return keys;
}

std::vector<std::string> invalidStationFields(const StationInfo& info) {
    std::vector<std::string> keys;
    for (const CoordinateField& f : kCoordinateFields) {
        const std::string& text = info.*(f.member);
        if (!trimBlanks(text).empty() && !parseDegrees(text, f.limit, f.positive, f.negative)) {
            keys.emplace_back(f.key);
        }
    }
    return keys;
}

std::vector<UnwritableStationField> unwritableStationFields(const StationInfo& info) {
    std::vector<UnwritableStationField> fields;
    for (const StationField& f : stationFields()) {
        const bool coordinate =
            std::any_of(kCoordinateFields.begin(), kCoordinateFields.end(),
                        [&](const CoordinateField& c) { return c.member == f.member; });
        if (coordinate) {
            continue; // read as numbers, never written as text
        }
        const std::string& text = info.*(f.member);
        std::string characters;
        size_t offset = 0;
        forEachUtf8CodePoint(text, [&](long cp) {
            // Where this character's bytes start: an invalid byte is one byte,
            // anything else as long as its encoding.
            const size_t length = cp < 0         ? 1
                                  : cp < 0x80    ? 1
                                  : cp < 0x800   ? 2
                                  : cp < 0x10000 ? 3
                                                 : 4;
            if (cp < 0 || cp > 0xFF) {
                const std::string character =
                    cp < 0 ? std::string("\xEF\xBF\xBD") : text.substr(offset, length);
                if (characters.find(character) == std::string::npos) {
                    characters += character;
                }
            }
            offset += length;
        });
        if (!characters.empty()) {
            fields.push_back({f.key, std::move(characters)});
        }
    }
    return fields;
}

std::string stationWarningText(const StationInfo& info) {
    const std::vector<std::string> missing = missingStationFields(info);
    const std::vector<std::string> invalid = invalidStationFields(info);
    const std::vector<UnwritableStationField> unwritable = unwritableStationFields(info);
    if (missing.empty() && invalid.empty() && unwritable.empty()) {
        return {};
    }
    std::string text;
    if (!missing.empty()) {
        text += "観測局情報に未入力の項目があります: " + joinKeys(missing) + "\n";
    }
    if (!invalid.empty()) {
        text += "観測局情報の経度・緯度を読めません (例 139.7583、139.7583 E、35 41 20 N): " +
                joinKeys(invalid) + "\n";
    }
    if (!missing.empty() || !invalid.empty()) {
        text += "これらの項目は空欄のままファイルに出力します。";
    }
    if (!unwritable.empty()) {
        if (!text.empty()) {
            text += "\n";
        }
        text += "月別ファイルの文字コード (Latin-1) で書けない文字があります "
                "(ローマ字で入力してください。書けない文字は「?」になります): ";
        for (size_t i = 0; i < unwritable.size(); ++i) {
            text +=
                (i == 0 ? "" : ", ") + unwritable[i].key + " (" + unwritable[i].characters + ")";
        }
    }
    return text;
}

std::string stationWarningTextCp932(const StationInfo& info) {
    std::string text = utf8ToCp932(stationWarningText(info));
    for (char& c : text) {
        // Line feeds are single bytes that never occur inside a double-byte
        // character, so swapping them for CR is safe on the converted text.
        if (c == '\n') {
            c = '\r';
        }
    }
    return text;
}

std::optional<double> parseDegrees(std::string_view text, double limit, char positiveLetter,
                                   char negativeLetter) {
    double sign = 1;
    bool hasSign = false;
    std::optional<std::size_t> letterAfter; // how many numbers came before the letter
    std::vector<double> parts;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto upper = static_cast<char>(std::toupper(c));
        if (std::isdigit(c) || c == '.') {
            double v = 0;
            // Fixed notation: "1e2" is no angle, whatever from_chars takes.
            const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), v,
                                                   std::chars_format::fixed);
            // A letter between the numbers ("35 N 41") belongs to neither.
            if (ec != std::errc() || (letterAfter && *letterAfter > 0) || parts.size() == 3) {
                return std::nullopt;
            }
            parts.push_back(v);
            i = static_cast<std::size_t>(ptr - text.data());
            continue;
        }
        if ((c == '-' || c == '+') && parts.empty() && !hasSign && !letterAfter) {
            hasSign = true;
            sign = c == '-' ? -1 : 1;
        } else if ((upper == positiveLetter || upper == negativeLetter) && !letterAfter &&
                   !hasSign) {
            letterAfter = parts.size();
            sign = upper == negativeLetter ? -1 : 1;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0xB0) {
            ++i; // the degree sign in UTF-8
        } else if (!(c == ' ' || c == '\t' || c == '\'' || c == '"' || c == ':' || c == 0xB0)) {
            return std::nullopt;
        }
        ++i;
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    double value = parts[0];
    for (std::size_t k = 1; k < parts.size(); ++k) {
        if (parts[k] >= 60 || parts[k - 1] != std::floor(parts[k - 1])) {
            return std::nullopt;
        }
        value += parts[k] / (k == 1 ? 60.0 : 3600.0);
    }
    if (!(value <= limit)) {
        return std::nullopt;
    }
    return sign * value;
}

std::string formatDegreesDms(double degrees, char positive, char negative) {
    if (!(std::fabs(degrees) <= 360.0)) {
        return {}; // no coordinate; callers pass values parseDegrees accepted
    }
    // Rounded to the whole second first, so 59.9999" carries into the minute.
    const std::int64_t total = std::llround(std::fabs(degrees) * 3600.0);
    std::string out;
    appendDigits(out, total / 3600, 3);
    out += '\xB0';
    appendDigits(out, total / 60 % 60, 2);
    appendDigits(out, total % 60, 2);
    out += ' ';
    out += (degrees < 0 && total != 0) ? negative : positive;
    return out;
}

std::string formatDegreesDecimal(double degrees) {
    if (!(std::fabs(degrees) <= 360.0)) {
        return {};
    }
    const std::int64_t tenThousandths = std::llround(std::fabs(degrees) * 10000.0);
    std::string out;
    if (degrees < 0 && tenThousandths != 0) {
        out += '-';
    }
    out += std::to_string(tenThousandths / 10000);
    out += '.';
    appendDigits(out, tenThousandths % 10000, 4);
    return out;
}
