#include "shared/UFunction.h"

#include "shared/TextFile.h"

#include <chrono>
#include <cmath>
#include <filesystem>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// sys_days counts from 1970-01-01, which is day 25569 of our epoch.
constexpr int kEpochOffset = 25569;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads up to nine digits at pos; nothing if there is no digit or too many.
std::optional<int> readNumber(std::string_view text, size_t& pos) {
    size_t start = pos;
    int value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (pos - start >= 9) {
            return std::nullopt;
        }
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) {
        return std::nullopt;
    }
    return value;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t roundToMs(TDateTime value) {
    return static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMsPerDay)));
}

void appendDigits(std::string& out, int value, int width) {
    char buf[12];
    int n = 0;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < width) {
        buf[n++] = '0';
    }
    while (n > 0) {
        out.push_back(buf[--n]);
    }
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

std::optional<TDateTime> TryEncodeDateTime(int year, int month, int day, int hour, int minute,
                                           int second) {
    using namespace std::chrono;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    const year_month_day ymd{std::chrono::year{year},
                             std::chrono::month{static_cast<unsigned>(month)},
                             std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    const int days = sys_days{ymd}.time_since_epoch().count() + kEpochOffset;
    const std::int64_t ms = (static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) * 1000;
    return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

std::optional<TDateTime> TryStrToDateTime(std::string_view text) {
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
    if (pos < text.size() && text[pos] == ':') {
        // A time alone, on day 0, with nothing after it.
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
        if (pos < text.size()) {
            auto read = readTime(text, pos, complete);
            if (!read) {
                return std::nullopt;
            }
            t = *read;
            if (!complete && !onlyBlanksFrom(text, pos)) {
                return std::nullopt;
            }
        }
    }
    return TryEncodeDateTime(*first, *month, *day, t.hour, t.minute, t.second);
}

TDateTime StrToDateTime(std::string_view text) {
    if (auto value = TryStrToDateTime(text)) {
        return *value;
    }
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
}

DateTimeParts DecodeDateTime(TDateTime value) {
    using namespace std::chrono;
    const std::int64_t ms = roundToMs(value);
    const std::int64_t days = floorDiv(ms, kMsPerDay);
    const std::int64_t msOfDay = ms - days * kMsPerDay;
    const year_month_day ymd{sys_days{std::chrono::days{days - kEpochOffset}}};
    DateTimeParts p;
    p.year = static_cast<int>(ymd.year());
    p.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    p.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    p.hour = static_cast<int>(msOfDay / 3600000);
    p.minute = static_cast<int>(msOfDay / 60000 % 60);
    p.second = static_cast<int>(msOfDay / 1000 % 60);
    p.millisecond = static_cast<int>(msOfDay % 1000);
    return p;
}

std::int64_t DateTimeToSecondKey(TDateTime value) {
    return floorDiv(roundToMs(value), 1000);
}

TDateTime SecondKeyToDateTime(std::int64_t key) {
    // Exactly what reading the comparison text back gives: date plus time of day.
    const std::int64_t days = floorDiv(key, 86400);
    const std::int64_t seconds = key - days * 86400;
    return static_cast<double>(days) +
           static_cast<double>(seconds * 1000) / static_cast<double>(kMsPerDay);
}

std::string DateTimeToCompareStr(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
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

void AppendRepStr(std::string& out, TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
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

std::string DateTimeToRepStr(TDateTime value) {
    std::string out;
    AppendRepStr(out, value);
    return out;
}

std::string DateTimeToHourKey(TDateTime value) {
    return HourKeyOf(DecodeDateTime(value));
}

std::string HourKeyOf(const DateTimeParts& p) {
    std::string out;
    out.reserve(10);
    appendDigits(out, p.year, 4);
    appendDigits(out, p.month, 2);
    appendDigits(out, p.day, 2);
    appendDigits(out, p.hour, 2);
    return out;
}

TDateTime HourKeyToDateTime(std::string_view key) {
    auto field = [&](size_t from, size_t len) -> std::optional<int> {
        if (key.size() < from + len) {
            return std::nullopt;
        }
        int v = 0;
        for (size_t i = from; i < from + len; ++i) {
            if (!isDigit(key[i])) {
                return std::nullopt;
            }
            v = v * 10 + (key[i] - '0');
        }
        return v;
    };
    auto y = field(0, 4), m = field(4, 2), d = field(6, 2), h = field(8, 2);
    if (y && m && d && h) {
        if (auto value = TryEncodeDateTime(*y, *m, *d, *h, 0, 0)) {
            return *value;
        }
    }
    throw EConvertError("'" + std::string(key) + "' is not a valid hour key");
}

std::array<std::string, 12> LongMonthNames = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void InstallEnglishMonthNames() {
    LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
    ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}

std::string BackupFileName(const std::string& name) {
    // "\" and ":" separate folders in the names that observers bring from other
    // systems; "/" is this platform's own separator.
    const size_t sep = name.find_last_of("\\:/");
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep)) {
        return name.substr(0, dot) + ".bak";
    }
    return name + ".bak";
}

void BackupFile(const std::string& name) {
    if (!FileExists(name)) {
        return;
    }
    const std::string backup = BackupFileName(name);
    std::error_code ec;
    if (FileExists(backup) || std::filesystem::is_symlink(backup, ec)) {
        if (!std::filesystem::remove(backup, ec)) {
            return;
        }
    }
    std::filesystem::rename(name, backup, ec);
}
