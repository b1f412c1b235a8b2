#pragma once
// The monthly RMOB upload: one file per UT month and station, the form the
// bulletin's collectors read. The cells are the RMOB page's first table (the
// hourly echo rate above the noise threshold, hour keys shifted to UT by RTZ),
// but every day of the month has its line and an hour without a number is
// always "??? " (readers split on "|" and parse integers, so no remarks).
//
// Callers: loadStationInfo, show stationWarningText if it is not empty, then
// writeRmobMonthlyFiles. The builders below serve tests and previews.

#include "config/ProgramInfo.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "hourly/HourTable.h"

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The program that made the file, for the block's "[Soft FTP]".
inline constexpr const char* kRmobSoftFtp = kCliVersion;

// A calendar month in UT.
struct UtMonth {
    int year = 0;  // 0 to 9999
    int month = 0; // 1 to 12
    auto operator<=>(const UtMonth&) const = default;
};

// The cells of one UT month: one entry per day (index 0 is day 1), 24 hours
// each. A value is the rounded hourly rate; nothing marks an hour that was not
// observed or was noise.
struct RmobMonthTable {
    UtMonth month;
    std::vector<std::array<std::optional<std::int64_t>, 24>> days;
};

// Runs computeRates(cnf.nd) and sorts every hour row into its UT month, day and
// hour in one pass. Months ascending; only months that hold an hour row.
std::vector<RmobMonthTable> buildRmobMonthTables(HourTable& data, const Settings& cnf);
// The UT months the hour rows touch, ascending.
std::vector<UtMonth> rmobMonthlyMonths(HourTable& data, const Settings& cnf);

// The number of days of a month (28 to 31). Here and below a month outside
// 1 to 12 is std::out_of_range.
int daysInMonth(UtMonth month);

// "jan| 00h| 01h| ... | 23h|".
std::string rmobMonthlyHeadLine(int month);
// One cell with its "|": a blank and the number left-aligned in three places
// (" 5  |", " 145|"), four digits and more written whole ("1234|", "12345|"),
// "??? |" for nothing or a negative value. Day lines start " 01|".
std::string rmobMonthlyCell(std::optional<std::int64_t> value);
// The 17 lines of the station block.
std::vector<std::string> rmobStationBlock(const StationInfo& station);

// The whole file of one month, lines without their line ends.
std::vector<std::string> rmobMonthlyLines(const RmobMonthTable& table, const StationInfo& station);
// The same for one month of the hour rows; a month without rows gives every
// day as "??? ".
std::vector<std::string> rmobMonthlyLines(HourTable& data, const Settings& cnf,
                                          const StationInfo& station, UtMonth month);

// "<Observer>_<MMYYYY>rmob": the observer name (blanks around it dropped) with
// blanks and every character that is not safe in a file name turned into "_";
// "unknown" when the name is empty.
std::string rmobMonthlyBaseName(const std::string& observer, UtMonth month);
// The base name plus ".TXT".
std::string rmobMonthlyFileName(const std::string& observer, UtMonth month);

struct RmobMonthlyFile {
    UtMonth month;
    std::string path; // the folder joined with the file name
};

// Writes one file per UT month of the hour rows into the folder ("" is the
// current folder), CR LF line ends, each after the backup rule. Returns the
// written files in month order; none when there are no hour rows. IoError when
// a file cannot be written (files of earlier months stay written).
std::vector<RmobMonthlyFile> writeRmobMonthlyFiles(HourTable& data, const Settings& cnf,
                                                   const StationInfo& station,
                                                   const std::string& folder);
// Writes the file of one UT month into the folder, byte for byte what
// writeRmobMonthlyFiles writes for it; a month without hour rows gets every
// hour as "??? ". IoError when the file cannot be written.
RmobMonthlyFile writeRmobMonthlyFile(HourTable& data, const Settings& cnf,
                                     const StationInfo& station, UtMonth month,
                                     const std::string& folder);
