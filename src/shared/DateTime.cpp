#include "shared/DateTime.h"

#include "shared/TextFile.h"

#include "shared/DigitPairs.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Day 0 of every date-time value.
constexpr std::chrono::sys_days kEpoch{std::chrono::year{1899} / std::chrono::December / 30};
// Day numbers of 0001/01/01 and 9999/12/31, the dates a text can name.
constexpr std::int64_t kFirstCivilDay = -693593;
constexpr std::int64_t kLastCivilDay = 2958465;

// Two digits of a value 0..99 at out.
void putTwo(char* out, int value) {
    out[0] = kDigitPairs[2 * value];
    out[1] = kDigitPairs[2 * value + 1];
}

// Whether the fields name a date of the years 1 to 9999 (proleptic Gregorian).
bool isValidDate(int year, int month, int day) {
    // day{} and month{} keep only a byte: range-check before building them.
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           std::chrono::year_month_day{std::chrono::year{year},
                                       std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}}
               .ok();
}

// The day number of a valid date.
std::int64_t dayNumberOf(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / static_cast<unsigned>(month) /
                        static_cast<unsigned>(day)};
    return (date - kEpoch).count();
}

// The date of a day number; within the years -32767 to 32767.
std::chrono::year_month_day dateOfDayNumber(std::int64_t dayNumber) {
    return std::chrono::year_month_day{kEpoch + std::chrono::days{dayNumber}};
}

void setDate(DateTimeParts& p, const std::chrono::year_month_day& date) {
    p.year = static_cast<int>(date.year());
    p.month = static_cast<int>(static_cast<unsigned>(date.month()));
    p.day = static_cast<int>(static_cast<unsigned>(date.day()));
}

// The last date turned into a day number: rows come in time order, so
// consecutive calls mostly name one date, and the calendar is consulted once
// a day instead of once a row. One per caller and thread.
struct DayNumberCache {
    int year = 0; // no valid date has year 0: the first call fills the cache
    int month = 0;
    int day = 0;
    std::int64_t number = 0;

    // Nothing when the fields name no valid date.
    std::optional<std::int64_t> of(int y, int m, int d) {
        if (y != year || m != month || d != day) {
            if (!isValidDate(y, m, d)) {
                return std::nullopt;
            }
            number = dayNumberOf(y, m, d);
            year = y;
            month = m;
            day = d;
        }
        return number;
    }
};

// The same the other way: the date of the last day number asked for.
struct DateCache {
    std::int64_t number = 0;
    std::chrono::year_month_day date{kEpoch};

    const std::chrono::year_month_day& of(std::int64_t dayNumber) {
        if (dayNumber != number) {
            date = dateOfDayNumber(dayNumber);
            number = dayNumber;
        }
        return date;
    }
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number of any length at pos; nothing if there is no digit.
// A value past every field's range sticks at kBeyondAnyField, so leading zeros
// cost nothing and a long number fails the range checks instead of overflowing.
constexpr int kBeyondAnyField = 100000000;

std::optional<int> readNumber(std::string_view text, size_t& pos) {
    size_t start = pos;
    int value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (value < kBeyondAnyField) {
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    if (pos == start) {
        return std::nullopt;
    }
    return std::min(value, kBeyondAnyField);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t roundToMs(DateTime value) {
    const double ms = value * static_cast<double>(kMsPerDay);
    // std::llround, halves away from zero, without the library call. From
    // 2^52 on every double is a whole number already.
    if (std::fabs(ms) < 4503599627370496.0) {
        const auto whole = static_cast<std::int64_t>(ms);        // toward zero
        const double fraction = ms - static_cast<double>(whole); // exact
        return whole + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0);
    }
    return static_cast<std::int64_t>(std::llround(ms));
}

// At least `width` digits, zeros in front; a negative value writes as 0.
void appendDigits(std::string& out, int value, int width) {
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, value < 0 ? 0 : value).ptr;
    const auto length = static_cast<int>(end - digits);
    if (length < width) {
        out.append(static_cast<size_t>(width - length), '0');
    }
    out.append(digits, static_cast<size_t>(length));
}

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

// Reads h[:m[:s]] at pos. `complete` tells whether seconds were read.
std::optional<TimeOfDay> readTime(std::string_view text, size_t& pos, bool& complete) {
    TimeOfDay t;
    complete = false;
    auto h = readNumber(text, pos);
    if (!h) {
        return std::nullopt;
    }
    t.hour = *h;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        auto m = readNumber(text, pos);
        if (!m) {
            return std::nullopt;
        }
        t.minute = *m;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            auto s = readNumber(text, pos);
            if (!s) {
                return std::nullopt;
            }
            t.second = *s;
            complete = true;
        }
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    return t;
}

bool onlyBlanksFrom(std::string_view text, size_t pos) {
    for (; pos < text.size(); ++pos) {
        if (text[pos] != ' ') {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<DateTime> tryEncodeDateTime(int year, int month, int day, int hour, int minute,
                                          int second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    thread_local DayNumberCache dayNumbers;
    const std::optional<std::int64_t> dayNumber = dayNumbers.of(year, month, day);
    if (!dayNumber) {
        return std::nullopt;
    }
    const std::int64_t days = *dayNumber;
    const std::int64_t ms = (static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) * 1000;
    return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

std::optional<DateTime> tryParseDateTime(std::string_view text) {
    // The form of nearly every data line, "yyyy/mm/dd hh:nn:ss", read at once.
    // Anything else (and a longer seconds field) takes the general way below.
    if (text.size() >= 19 && (text.size() == 19 || !isDigit(text[19]))) {
        const char* t = text.data();
        bool digits = true;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) {
            digits = digits && isDigit(t[i]);
        }
        if (digits && t[4] == '/' && t[7] == '/' && t[10] == ' ' && t[13] == ':' && t[16] == ':') {
            auto two = [t](int i) { return (t[i] - '0') * 10 + (t[i + 1] - '0'); };
            return tryEncodeDateTime(two(0) * 100 + two(2), two(5), two(8), two(11), two(14),
                                     two(17));
        }
    }
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    const size_t numberStart = pos;
    auto first = readNumber(text, pos);
    if (!first) {
        return std::nullopt;
    }
    bool complete = false;
    if (pos == text.size() || text[pos] == ':') {
        // A time alone (hours alone too), on day 0, with nothing after it.
        pos = numberStart;
        auto t = readTime(text, pos, complete);
        if (!t || pos != text.size()) {
            return std::nullopt;
        }
        return static_cast<double>((t->hour * 3600 + t->minute * 60 + t->second) * 1000) /
               static_cast<double>(kMsPerDay);
    }
    if (pos >= text.size() || text[pos] != '/') {
        return std::nullopt;
    }
    ++pos;
    auto month = readNumber(text, pos);
    if (!month || pos >= text.size() || text[pos] != '/') {
        return std::nullopt;
    }
    ++pos;
    auto day = readNumber(text, pos);
    if (!day) {
        return std::nullopt;
    }
    TimeOfDay t;
    if (pos < text.size()) {
        if (text[pos] != ' ') {
            return std::nullopt;
        }
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        // Blanks after a date announce a time: without one the text is cut short.
        auto read = readTime(text, pos, complete);
        if (!read) {
            return std::nullopt;
        }
        t = *read;
        if (!complete && !onlyBlanksFrom(text, pos)) {
            return std::nullopt;
        }
    }
    return tryEncodeDateTime(*first, *month, *day, t.hour, t.minute, t.second);
}

DateTime parseDateTime(std::string_view text) {
    if (auto value = tryParseDateTime(text)) {
        return *value;
    }
    throw DateConvertError("'" + std::string(text) + "' is not a valid date and time");
}

namespace {
// A value as its day number and the millisecond of that day, rounded to the
// millisecond as every text of a time is.
struct DayAndMs {
    std::int64_t days;
    int msOfDay;
};

DayAndMs dayAndMsOf(DateTime value) {
    const std::int64_t ms = roundToMs(value);
    const std::int64_t days = floorDiv(ms, kMsPerDay);
    return {days, static_cast<int>(ms - days * kMsPerDay)};
}
} // namespace

DateTimeParts decodeDateTime(DateTime value) {
    const auto [days, msOfDay] = dayAndMsOf(value);
    thread_local DateCache dates;
    DateTimeParts p;
    setDate(p, dates.of(days));
    p.hour = msOfDay / 3600000;
    p.minute = msOfDay / 60000 % 60;
    p.second = msOfDay / 1000 % 60;
    p.millisecond = msOfDay % 1000;
    return p;
}

std::int64_t secondKeyOf(DateTime value) {
    return floorDiv(roundToMs(value), 1000);
}

DateTime dateTimeOfSecondKey(std::int64_t key) {
    // Exactly what reading the comparison text back gives: date plus time of day.
    const std::int64_t days = floorDiv(key, 86400);
    const std::int64_t seconds = key - days * 86400;
    return static_cast<double>(days) +
           static_cast<double>(seconds * 1000) / static_cast<double>(kMsPerDay);
}

std::string compareText(DateTime value) {
    const DateTimeParts p = decodeDateTime(value);
    std::string out;
    appendDigits(out, p.year, 4);
    out.push_back('/');
    appendDigits(out, p.month, 2);
    out.push_back('/');
    appendDigits(out, p.day, 2);
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        out.push_back(' ');
        appendDigits(out, p.hour, 2);
        out.push_back(':');
        appendDigits(out, p.minute, 2);
        out.push_back(':');
        appendDigits(out, p.second, 2);
    }
    return out;
}

namespace {
char* putRepStr(char* out, const DateTimeParts& p) {
    putTwo(out, p.year / 100);
    putTwo(out + 2, p.year % 100);
    out[4] = '/';
    putTwo(out + 5, p.month);
    out[7] = '/';
    putTwo(out + 8, p.day);
    out[10] = ' ';
    putTwo(out + 11, p.hour);
    out[13] = ':';
    putTwo(out + 14, p.minute);
    return out + 16;
}
} // namespace

namespace {
// The text "yyyy/mm/dd " of the last day number asked for: a table's rows
// come day after day, so the date is made once a day, not once a row.
struct DateTextCache {
    std::optional<std::int64_t> number;
    bool fourDigitYear = false;
    char text[11] = {};

    // Nothing when the year has not four digits.
    const char* of(std::int64_t dayNumber) {
        if (number != dayNumber) {
            DateTimeParts p{};
            setDate(p, dateOfDayNumber(dayNumber));
            fourDigitYear = p.year >= 0 && p.year <= 9999;
            if (fourDigitYear) {
                char whole[16];
                putRepStr(whole, p); // its date part; the time is put per row
                std::memcpy(text, whole, sizeof text);
            }
            number = dayNumber;
        }
        return fourDigitYear ? text : nullptr;
    }
};
} // namespace

char* putReportTime(char* out, DateTime value) {
    const auto [days, msOfDay] = dayAndMsOf(value);
    thread_local DateTextCache dates;
    const char* date = dates.of(days);
    if (!date) {
        return nullptr;
    }
    std::memcpy(out, date, 11);
    putTwo(out + 11, msOfDay / 3600000);
    out[13] = ':';
    putTwo(out + 14, msOfDay / 60000 % 60);
    return out + 16;
}

void appendReportTime(std::string& out, DateTime value) {
    const DateTimeParts p = decodeDateTime(value);
    if (p.year >= 0 && p.year <= 9999) {
        char text[16];
        out.append(text, static_cast<size_t>(putRepStr(text, p) - text));
        return;
    }
    appendDigits(out, p.year, 4);
    out.push_back('/');
    appendDigits(out, p.month, 2);
    out.push_back('/');
    appendDigits(out, p.day, 2);
    out.push_back(' ');
    appendDigits(out, p.hour, 2);
    out.push_back(':');
    appendDigits(out, p.minute, 2);
}

std::string reportTimeText(DateTime value) {
    std::string out;
    appendReportTime(out, value);
    return out;
}

std::string hourKeyOf(DateTime value) {
    return hourKeyOf(decodeDateTime(value));
}

std::string hourKeyOf(const DateTimeParts& p) {
    if (p.year >= 0 && p.year <= 9999) {
        char text[10];
        putTwo(text, p.year / 100);
        putTwo(text + 2, p.year % 100);
        putTwo(text + 4, p.month);
        putTwo(text + 6, p.day);
        putTwo(text + 8, p.hour);
        return std::string(text, sizeof text);
    }
    std::string out;
    appendDigits(out, p.year, 4);
    appendDigits(out, p.month, 2);
    appendDigits(out, p.day, 2);
    appendDigits(out, p.hour, 2);
    return out;
}

namespace {
struct HourKeyFields {
    int year, month, day, hour;
};

std::optional<HourKeyFields> readHourKey(std::string_view key) {
    if (key.size() < 10) {
        return std::nullopt;
    }
    for (size_t i = 0; i < 10; ++i) {
        if (!isDigit(key[i])) {
            return std::nullopt;
        }
    }
    auto two = [&](size_t i) { return (key[i] - '0') * 10 + (key[i + 1] - '0'); };
    return HourKeyFields{two(0) * 100 + two(2), two(4), two(6), two(8)};
}

[[noreturn]] void throwBadHourKey(std::string_view key) {
    throw DateConvertError("'" + std::string(key) + "' is not a valid hour key");
}
} // namespace

DateTime hourKeyToDateTime(std::string_view key) {
    if (auto f = readHourKey(key)) {
        if (auto value = tryEncodeDateTime(f->year, f->month, f->day, f->hour, 0, 0)) {
            return *value;
        }
    }
    throwBadHourKey(key);
}

std::string shiftHourKey(std::string_view key, std::int32_t hours) {
    auto f = readHourKey(key);
    // The checks of tryEncodeDateTime, without making the value.
    thread_local DayNumberCache dayNumbers;
    const std::optional<std::int64_t> dayNumber =
        f ? dayNumbers.of(f->year, f->month, f->day) : std::nullopt;
    if (!dayNumber || f->hour > 23) {
        throwBadHourKey(key);
    }
    // In whole hours the sum is exact. The floating-point sum lands within a
    // fraction of a millisecond of it as long as both stay within the years
    // 1 to 9999, so rounding to the millisecond gives the same hour there.
    const std::int64_t total = *dayNumber * 24 + f->hour + hours;
    const std::int64_t day = total / 24 - (total % 24 < 0 ? 1 : 0);
    if (day < kFirstCivilDay || day > kLastCivilDay) {
        return hourKeyOf(hourKeyToDateTime(key) + static_cast<double>(hours) / 24.0);
    }
    thread_local DateCache dates;
    DateTimeParts p{};
    setDate(p, dates.of(day));
    p.hour = static_cast<int>(total - day * 24);
    return hourKeyOf(p);
}
