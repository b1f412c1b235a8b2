#include "data/DataLine.h"

#include "shared/CodePage.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// An unsigned hexadecimal count of at most eight digits, taken as 32-bit two's
// complement ($FFFFFFFF would be -1, and negative counts fail).
std::optional<std::int64_t> readHexCount(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    if (value > 0x7FFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

// A count column: blanks in front, then an optionally signed decimal number,
// or an unsigned hexadecimal one after "$", "x" or "0x". Anything after the
// digits and a value outside 32 bits fail. A negative count fails too: it has
// no square root, and the rates of every later row would be lost with it.
std::optional<std::int64_t> readCount(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    s.remove_prefix(first == std::string_view::npos ? s.size() : first);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    } else if (!s.empty() && (s[0] == '$' || s[0] == 'x' || s[0] == 'X')) {
        return readHexCount(s.substr(1));
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        return readHexCount(s.substr(2));
    }
    if (s.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 0x7FFFFFFF) {
            return std::nullopt;
        }
    }
    if (negative && value != 0) {
        return std::nullopt;
    }
    return value;
}

// Splits off the text before the next comma; false when there is none.
bool takeColumn(std::string_view& work, std::string_view& column) {
    const std::size_t comma = work.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    column = work.substr(0, comma);
    work.remove_prefix(comma + 1);
    return true;
}

// The four counts and the remark.
bool readCounts(std::string_view work, TenMinuteRow& row) {
    for (std::int64_t* count : {&row.echo, &row.longEcho, &row.otherData, &row.observedMinutes}) {
        // Nearly every count is one to nine digits and a comma: read in one
        // go (10 % fewer instructions in a run). Anything else by the full rules.
        std::int64_t value = 0;
        std::size_t i = 0;
        while (i < work.size() && i < 10 && work[i] >= '0' && work[i] <= '9') {
            value = value * 10 + (work[i] - '0');
            ++i;
        }
        if (i >= 1 && i <= 9 && i < work.size() && work[i] == ',') {
            *count = value;
            work.remove_prefix(i + 1);
            continue;
        }
        std::string_view column;
        if (!takeColumn(work, column)) {
            return false;
        }
        const auto read = readCount(column);
        if (!read) {
            return false;
        }
        *count = *read;
    }
    row.remark = work;
    return true;
}

// The date column, or the date and time columns joined by a blank.
std::optional<Timestamp> readTime(std::string_view& work) {
    const std::size_t comma = work.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    // Date and time in two columns when the first colon comes after the
    // first comma (a date with its time has the colon before it).
    const std::string_view first = work.substr(0, comma);
    const bool twoColumns = first.find(':') == std::string_view::npos &&
                            work.find(':', comma + 1) != std::string_view::npos;
    if (!twoColumns) {
        work.remove_prefix(comma + 1);
        return parseTimestamp(first);
    }
    const std::size_t end = work.find(',', comma + 1);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    std::string joined(first);
    joined += ' ';
    joined += work.substr(comma + 1, end - comma - 1);
    work.remove_prefix(end + 1);
    return parseTimestamp(joined);
}

bool readColumns(std::string_view line, TenMinuteRow& row) {
    std::string_view work = line;
    std::string_view name;
    // A line without any comma has neither a file name nor a date column.
    if (!takeColumn(work, name)) {
        return false;
    }
    row.fileName = name;
    const std::optional<Timestamp> time = readTime(work);
    if (!time) {
        return false;
    }
    row.time = *time;
    return readCounts(work, row);
}

} // namespace

LineVerdict readDataLine(std::string_view line, TenMinuteRow& row) {
    if (line.empty()) {
        return LineVerdict::Empty;
    }
    if (!readColumns(line, row)) {
        return LineVerdict::Unreadable;
    }
    // Other data alone with no observed minutes is plausible; echoes are not.
    if (row.observedMinutes == 0 && row.echo + row.longEcho > 0) {
        return LineVerdict::Implausible;
    }
    return LineVerdict::Row;
}

std::string implausibleLineMessage(std::string_view line) {
    static const std::string prefix =
        utf8ToCp932("データが不正です。") + '\r' +
        utf8ToCp932("観測時間が「０」なのにエコー数が記録されています。 ") + "\r[ ";
    std::string message = prefix;
    message += line;
    message += " ]";
    return message;
}

const std::string& unexpectedErrorMessage() {
    static const std::string text = utf8ToCp932("予想外のエラーが発生しました??");
    return text;
}
