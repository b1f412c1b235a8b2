#pragma once
// The monthly RMOB upload: one file per UT month and station, the form the
// bulletin's collectors read. The cells are the RMOB page's first table (the
// hourly echo rate above the noise threshold, hour keys shifted to UT by RTZ),
// but every file has 31 day lines and an hour without a number is always
// "??? " (readers split on "|" and parse integers, so no remarks).
//
// Callers: loadStationInfo, show stationWarningText if it is not empty, then
// write the files of rmobMonthlyFiles (the output writer does).

#include "config/ProgramInfo.h"
#include "config/StationInfo.h"
#include "hourly/UtHourList.h"

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

// Sorts every hour into its UT month, day and hour. Months ascending; only
// months that hold an hour (hours beyond the year 9999 have none).
std::vector<RmobMonthTable> buildRmobMonthTables(const UtHourList& hours);
// The tables of the months that hours from fromHour on touch, with the month
// of the hour before fromHour: what a file that grows changed.
std::vector<RmobMonthTable> buildRmobMonthTables(const UtHourList& hours, std::size_t fromHour);
// The UT months the hours touch, ascending.
std::vector<UtMonth> rmobMonthlyMonths(const UtHourList& hours);
// The table of one month; a month without hours has no values.
RmobMonthTable rmobMonthTable(const UtHourList& hours, UtMonth month);

// The number of days of a month (28 to 31). Here and below a month outside
// 1 to 12 is std::out_of_range.
int daysInMonth(UtMonth month);

// "jan| 00h| 01h| ... | 23h|".
std::string rmobMonthlyHeadLine(int month);
// One cell with its "|": one and two digits after a blank (" 5  |", " 16 |"),
// three before one ("145 |"), four digits and more written whole ("1234|",
// "12345|"), "??? |" for nothing or a negative value. Day lines start " 01|".
std::string rmobMonthlyCell(std::optional<std::int64_t> value);
// The 17 lines of the station block.
std::vector<std::string> rmobStationBlock(const StationInfo& station);

// Every file has this many day lines, whatever its month.
inline constexpr int kRmobMonthlyDayLines = 31;

// The whole file of one month, lines without their line ends.
std::vector<std::string> rmobMonthlyLines(const RmobMonthTable& table, const StationInfo& station);
// "<Observer>_<MMYYYY>rmob": the observer name (blanks around it dropped) with
// blanks and every character that is not safe in a file name turned into "_";
// "unknown" when the name is empty.
std::string rmobMonthlyBaseName(const std::string& observer, UtMonth month);
// The base name plus ".TXT".
std::string rmobMonthlyFileName(const std::string& observer, UtMonth month);

// The file of one month, named for the station's observer.
struct RmobMonthlyFile {
    UtMonth month;
    std::string fileName;
    std::vector<std::string> lines; // without their line ends
};
RmobMonthlyFile rmobMonthlyFile(const RmobMonthTable& table, const StationInfo& station);
// One file per UT month of the hours, in month order; none without hours.
std::vector<RmobMonthlyFile> rmobMonthlyFiles(const UtHourList& hours, const StationInfo& station);
