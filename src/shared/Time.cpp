#include "shared/Time.h"

#include "shared/DigitPairs.h"

#include <algorithm>

namespace {

using namespace std::chrono;

// The day a time without a date falls on.
constexpr sys_days kDayZero{year{1899} / December / 30};
constexpr sys_days kFirstFourDigitDay{year{1} / January / 1};
constexpr sys_days kLastFourDigitDay{year{9999} / December / 31};
constexpr std::int64_t kDaysPer400Years = 146097;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number of any length at pos; nothing if there is no digit. A
// value past every field's range sticks there, so leading zeros cost nothing
// and a long number fails the range checks instead of overflowing.
constexpr int kBeyondAnyField = 100000000;

std::optional<int> readNumber(std::string_view text, size_t& pos) {
    const size_t start = pos;
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

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    seconds sinceMidnight() const { return hours{hour} + minutes{minute} + seconds{second}; }
};

// Reads h[:m[:s]] at pos; `complete` tells whether seconds were read.
std::optional<TimeOfDay> readTimeOfDay(std::string_view text, size_t& pos, bool& complete) {
    TimeOfDay t;
    complete = false;
    const auto h = readNumber(text, pos);
    if (!h) {
        return std::nullopt;
    }
    t.hour = *h;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        const auto m = readNumber(text, pos);
        if (!m) {
            return std::nullopt;
        }
        t.minute = *m;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            const auto s = readNumber(text, pos);
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
    return text.find_first_not_of(' ', pos) == std::string_view::npos;
}

// The form of nearly every data line, "yyyy/mm/dd hh:nn:ss", read at once (10 %
// fewer instructions in a run); nothing when the text has another form (not
// when the date is invalid).
std::optional<std::optional<Timestamp>> readCompactForm(std::string_view text) {
    if (text.size() < 19 || (text.size() > 19 && isDigit(text[19]))) {
        return std::nullopt;
    }
    const char* t = text.data();
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) {
        if (!isDigit(t[i])) {
            return std::nullopt;
        }
    }
    if (t[4] != '/' || t[7] != '/' || t[10] != ' ' || t[13] != ':' || t[16] != ':') {
        return std::nullopt;
    }
    const auto two = [t](int i) { return (t[i] - '0') * 10 + (t[i + 1] - '0'); };
    return makeTimestamp(two(0) * 100 + two(2), two(5), two(8), two(11), two(14), two(17));
}

void putTwo(std::string& out, int value) {
    out.append(&kDigitPairs[2 * value], 2);
}

// The year in at least four digits, zeros in front.
void appendYear(std::string& out, std::int64_t year) {
    if (year >= 0 && year <= 9999) {
        const int y = static_cast<int>(year);
        putTwo(out, y / 100);
        putTwo(out, y % 100);
        return;
    }
    out += std::to_string(year);
}

} // namespace

std::optional<Timestamp> makeTimestamp(int y, int m, int d, int hh, int mm, int ss) {
    // day{} and month{} keep only a byte: range-check before building them.
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31 || hh < 0 || hh > 23 || mm < 0 ||
        mm > 59 || ss < 0 || ss > 59) {
        return std::nullopt;
    }
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)},
                              day{static_cast<unsigned>(d)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return sys_days{date} + TimeOfDay{hh, mm, ss}.sinceMidnight();
}

std::optional<Timestamp> parseTimestamp(std::string_view text) {
    if (const auto compact = readCompactForm(text)) {
        return *compact;
    }
    size_t pos = text.find_first_not_of(' ');
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t numberStart = pos;
    const auto first = readNumber(text, pos);
    if (!first) {
        return std::nullopt;
    }
    bool complete = false;
    if (pos == text.size() || text[pos] == ':') {
        // A time alone (hours alone too), with nothing after it.
        pos = numberStart;
        const auto t = readTimeOfDay(text, pos, complete);
        if (!t || pos != text.size()) {
            return std::nullopt;
        }
        return Timestamp{kDayZero + t->sinceMidnight()};
    }
    if (text[pos] != '/') {
        return std::nullopt;
    }
    ++pos;
    const auto month = readNumber(text, pos);
    if (!month || pos >= text.size() || text[pos] != '/') {
        return std::nullopt;
    }
    ++pos;
    const auto day = readNumber(text, pos);
    if (!day) {
        return std::nullopt;
    }
    TimeOfDay t;
    if (pos < text.size()) {
        if (text[pos] != ' ') {
            return std::nullopt;
        }
        pos = text.find_first_not_of(' ', pos);
        // Blanks after a date announce a time: without one the text is cut short.
        const auto read =
            pos == std::string_view::npos ? std::nullopt : readTimeOfDay(text, pos, complete);
        if (!read || (!complete && !onlyBlanksFrom(text, pos))) {
            return std::nullopt;
        }
        t = *read;
    }
    return makeTimestamp(*first, *month, *day, t.hour, t.minute, t.second);
}

CalendarHour calendarHourOf(Hour hour) {
    const std::int64_t count = hour.time_since_epoch().count();
    const std::int64_t dayCount = count >= 0 ? count / 24 : (count - 23) / 24;
    // Into the first 400 years after 1970 and back: std::chrono's calendar
    // covers only some 32,000 years, a stored time zone of a billion hours
    // far more.
    const std::int64_t cycles =
        dayCount >= 0 ? dayCount / kDaysPer400Years : (dayCount + 1) / kDaysPer400Years - 1;
    const year_month_day date{sys_days{days{dayCount - cycles * kDaysPer400Years}}};
    return {static_cast<int>(date.year()) + cycles * 400,
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(count - dayCount * 24)};
}

bool hasFourDigitYear(Hour hour) {
    const auto day = floor<days>(hour);
    return day >= kFirstFourDigitDay && day <= kLastFourDigitDay;
}

void appendReportTime(std::string& out, Timestamp time) {
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss<seconds> clock{time - day};
    appendYear(out, static_cast<int>(date.year()));
    out += '/';
    putTwo(out, static_cast<int>(static_cast<unsigned>(date.month())));
    out += '/';
    putTwo(out, static_cast<int>(static_cast<unsigned>(date.day())));
    out += ' ';
    putTwo(out, static_cast<int>(clock.hours().count()));
    out += ':';
    putTwo(out, static_cast<int>(clock.minutes().count()));
}

std::string reportTimeText(Timestamp time) {
    std::string out;
    appendReportTime(out, time);
    return out;
}

void appendHourKey(std::string& out, Hour hour) {
    const CalendarHour c = calendarHourOf(hour);
    appendYear(out, c.year);
    putTwo(out, c.month);
    putTwo(out, c.day);
    putTwo(out, c.hour);
}

std::string hourKeyText(Hour hour) {
    std::string out;
    appendHourKey(out, hour);
    return out;
}
