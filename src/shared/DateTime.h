#pragma once
// Date-time conventions shared by the whole program, and the backup rule.
//
// A date-time value counts days since 30 December 1899 00:00 as a double; the
// fraction is the time of day. The encoding is linear on both sides of that
// day (days + time of day), so adding a ten-minute step always moves forward.
// Date-time text is read in year/month/day order with "/" and ":" separators.
// Slots are compared by their whole-second text: two values are the same slot
// exactly when they agree to the second after rounding to the millisecond.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

using DateTime = double;

constexpr double kMinutesPerDay = 1440.0;
constexpr DateTime kTenMinutes = 10.0 / kMinutesPerDay; // 1/144 of a day

// Raised when a text or an hour key is not a valid date and time.
class DateConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads "yyyy/mm/dd[ hh[:nn[:ss]]]" after optional blanks, or a time alone
// "hh[:nn[:ss]]" (which lands on day 0). Numbers may have any count of digits.
// Blanks after the date must lead to a time. After a date and a complete time
// the rest is not examined; after a shorter time only blanks may follow.
// Returns nothing for text of another shape or an invalid date/time.
std::optional<DateTime> tryParseDateTime(std::string_view text);
DateTime parseDateTime(std::string_view text); // throws DateConvertError

// Builds the value of a calendar date and a time of day; nothing when invalid.
std::optional<DateTime> tryEncodeDateTime(int year, int month, int day, int hour, int minute,
                                          int second);

struct DateTimeParts {
    int year, month, day, hour, minute, second, millisecond;
};
// Splits a value into calendar fields after rounding to the nearest millisecond.
DateTimeParts decodeDateTime(DateTime value);

// Whole seconds since 30 December 1899 of the comparison text: equal exactly
// when the comparison texts are equal.
std::int64_t secondKeyOf(DateTime value);
// The value of a comparison text read back: the key's second, cut to it.
DateTime dateTimeOfSecondKey(std::int64_t key);
// The comparison text itself: "yyyy/mm/dd" plus " hh:nn:ss" unless midnight.
std::string compareText(DateTime value);

// "yyyy/mm/dd hh:nn": seconds dropped, not rounded into the minute.
std::string reportTimeText(DateTime value);
void appendReportTime(std::string& out, DateTime value);
// The same 16 bytes written at out, returning the end; nullptr for a year
// beyond four digits (then appendReportTime writes it).
char* putReportTime(char* out, DateTime value);

// The hour key "yyyymmddhh" of a value, or of its fields.
std::string hourKeyOf(DateTime value);
std::string hourKeyOf(const DateTimeParts& parts);
// The start of the hour named by a key; DateConvertError for a key that is no
// valid date and hour (shorter than ten characters, a non-digit, month 13, hour 24).
DateTime hourKeyToDateTime(std::string_view key);
// The key of the hour that lies the given number of hours after the key's
// hour: the same text as hourKeyOf(hourKeyToDateTime(key) + hours / 24.0),
// worked out in whole hours. DateConvertError like hourKeyToDateTime.
std::string shiftHourKey(std::string_view key, std::int32_t hours);

// English month names whatever the system language says, as the report
// files and the RMOB tables use them; index 0 is January.
inline constexpr std::array<std::string_view, 12> kLongMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
