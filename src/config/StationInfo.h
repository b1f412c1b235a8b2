#pragma once
// The observing station's description that every monthly RMOB file carries.
// The 40-byte settings file has no room for it and must keep its layout, so it
// lives in its own small text file beside the settings file, one "Key=Value"
// line per field. The window's dialog and the command-line tool read and write
// that file through loadStationInfo / saveStationInfo and check it with
// missingStationFields / stationWarningText before writing the monthly files.
//
// Unlike the program's other texts, the values are UTF-8, as in the file: the
// bulletin is international and the window edits them as plain Unicode text.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct StationInfo {
    std::string observer;
    std::string country;
    std::string city;
    std::string longitude;     // degrees, east positive ("139.7583", "139.7583 E")
    std::string latitude;      // degrees, north positive ("35.6889", "35.6889 N")
    std::string longitudeGmap; // decimal degrees for the bulletin's map
    std::string latitudeGmap;
    std::string frequencies;
    std::string antenna;
    std::string antennaAzimuth;
    std::string antennaElevation;
    std::string preAmplifier;
    std::string receiver;
    std::string observingMethod;
    std::string remarks; // the one field that may stay empty
    std::string email;   // e-mail address

    bool operator==(const StationInfo&) const = default;
};

// One field of the record, in the order of the monthly file's block.
struct StationField {
    const char* key;   // key in the station file; also names the field in messages
    const char* label; // the block's label in the monthly file, brackets included
    std::string StationInfo::*member;
    bool required;
};
const std::array<StationField, 16>& stationFields();

// The settings file's name with its extension replaced by ".station" (or
// ".station" appended), so the station file sits beside the settings file.
std::string defaultStationFileName(const std::string& cnfFileName);

// Reads a station file. A missing file gives the empty record without error;
// a file that exists but cannot be read is an IoError. Unknown keys, blank
// lines and lines without "=" are ignored; blanks around keys and values are
// dropped; a later line of the same key wins.
StationInfo loadStationInfo(const std::string& path);
// Writes every field, empty ones included, one "Key=Value" line each with
// CR LF. Line breaks inside a value become blanks so the file stays one field
// per line. IoError on failure.
void saveStationInfo(const std::string& path, const StationInfo& info);

// Keys of the required fields that are empty or blank, in block order.
std::vector<std::string> missingStationFields(const StationInfo& info);
// Keys of the coordinate fields that hold text parseDegrees cannot read
// (longitudes within ±180, latitudes within ±90).
std::vector<std::string> invalidStationFields(const StationInfo& info);

// A text field holding characters that the monthly file's Latin-1 cannot
// (they are written as "?"): its key, and each such character once, UTF-8.
struct UnwritableStationField {
    std::string key;
    std::string characters;
};
// The text fields (coordinates aside) with such characters, in block order.
std::vector<UnwritableStationField> unwritableStationFields(const StationInfo& info);

// The warning for incomplete, invalid or unwritable station fields, naming
// them; empty when nothing is wrong. UTF-8 with "\n" between lines, for the
// command line.
std::string stationWarningText(const StationInfo& info);
// The same warning for showMessage: code page 932, lines separated by a CR.
std::string stationWarningTextCp932(const StationInfo& info);

// Degrees as observers type them: "35.6889", "-139.7", "35.6889 N",
// "W 139.7", "35°41'20\"N", "35 41 20 N". The hemisphere letters are
// positiveLetter and negativeLetter (N/S or E/W, either case), before or after
// the number but not with a sign of their own; the degree sign is UTF-8 or
// Latin-1. Nothing for empty text, text that is no angle (an exponent, "inf",
// a decimal comma), or a magnitude above limit.
std::optional<double> parseDegrees(std::string_view text, double limit, char positiveLetter,
                                   char negativeLetter);
// "139°4530 E": three-digit degrees, the degree sign, two-digit minutes and
// seconds, a blank and the hemisphere letter (positive, or negative below
// zero). The degree sign is the Latin-1 byte 0xB0, the monthly file's code.
// Both formatters give "" for a magnitude above 360 (no coordinate at all).
std::string formatDegreesDms(double degrees, char positive, char negative);
// Decimal degrees with four decimals ("139.7583"), "-" only below zero.
std::string formatDegreesDecimal(double degrees);
