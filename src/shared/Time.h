#pragma once
// Times as the whole program holds them. A data file's recorder writes whole
// seconds on its own clock, which carries no time zone: a slot's start is a
// Timestamp (std::chrono::sys_seconds, read as that clock), an hour an Hour
// (sys_time of whole hours), so an hour's key is the integer count of its
// hours. Only the reports turn them into texts.
//
// Date-time text is read in year/month/day order with "/" and ":"
// separators, as the recorders write it.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using Timestamp = std::chrono::sys_seconds;
using Hour = std::chrono::sys_time<std::chrono::hours>;

inline constexpr std::chrono::seconds kSlotLength{600};

// The hour a time falls in.
inline Hour hourOf(Timestamp time) {
    return std::chrono::floor<std::chrono::hours>(time);
}

// Reads "yyyy/mm/dd[ hh[:nn[:ss]]]" after optional blanks, or a time alone
// "hh[:nn[:ss]]", which lands on 30 December 1899, the day a recorder's time
// without a date counts from. Numbers may have any count of digits. Blanks
// after the date must lead to a time. After a date and a complete time the
// rest is not examined; after a shorter time only blanks may follow. Nothing
// for text of another shape, or a date outside the years 1 to 9999 or a
// time that does not exist.
std::optional<Timestamp> parseTimestamp(std::string_view text);

// The time of a calendar date and time of day; nothing when it does not exist.
std::optional<Timestamp> makeTimestamp(int year, int month, int day, int hour, int minute,
                                       int second);

// The calendar fields of an hour of any year, the year exact however far it
// lies: the Gregorian calendar repeats every 400 years.
struct CalendarHour {
    std::int64_t year;
    int month; // 1 to 12
    int day;   // 1 to 31
    int hour;  // 0 to 23
};
CalendarHour calendarHourOf(Hour hour);

// Whether an hour lies in the years 1 to 9999, the years a four-digit text
// can name.
bool hasFourDigitYear(Hour hour);

// "yyyy/mm/dd hh:nn": seconds dropped, not rounded into the minute.
void appendReportTime(std::string& out, Timestamp time);
std::string reportTimeText(Timestamp time);

// The hour key "yyyymmddhh" of the hourly table (the year in at least four digits).
void appendHourKey(std::string& out, Hour hour);
std::string hourKeyText(Hour hour);

// English month names whatever the system language says, as the report
// files and the RMOB tables use them; index 0 is January.
inline constexpr std::array<std::string_view, 12> kLongMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
