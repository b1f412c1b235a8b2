#include "reports/TextReport.h"

#include "shared/DateTime.h"
#include "shared/NumberFormat.h"

#include <array>
#include <cstdint>
#include <string_view>

// The report is a day-by-hour grid: a three-character prefix, then 24 cells of
// normally four characters. Before narrowing, hour h's cell starts at index
// 4h+3 of every table line; the narrowing pass looks only at those fixed
// indices, whatever a wider cell earlier in the line has shifted there.

namespace {

constexpr int kHours = 24;
constexpr std::size_t kLineWidth = 3 + 4 * kHours; // 99
constexpr std::string_view kGapRemark = "NoObserve";

using Cells = std::array<std::string, kHours>;

void appendTwoDigits(std::string& out, std::int64_t value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

std::string heading(const char* label, std::int32_t shift) {
    // Reduce first so that no int32 shift can overflow the sum.
    const std::int64_t reduced = static_cast<std::int64_t>(shift) % kHours;
    std::string out = label;
    out += ' ';
    for (int h = 0; h < kHours; ++h) {
        out += "  ";
        appendTwoDigits(out, ((h + reduced) % kHours + kHours) % kHours);
    }
    return out;
}

// Right-aligns text in four places; wider text stays as it is.
std::string padLeft4(std::string text) {
    if (text.size() < 4) {
        text.insert(0, 4 - text.size(), ' ');
    }
    return text;
}

std::string intCell(std::int64_t value) {
    char digits[kIntRoom];
    const auto n = static_cast<std::size_t>(putInt(digits, value) - digits);
    std::string cell;
    if (n < 4) {
        cell.assign(4 - n, ' ');
    }
    cell.append(digits, n);
    return cell;
}

std::string rateCell(double rate) {
    std::string text;
    appendInt(text, roundHalfAway(rate));
    // The mark goes right before the first digit, after any minus sign.
    text.insert(text.find_first_of("0123456789"), 1, '%');
    return padLeft4(std::move(text));
}

// Two decimal digits of the key at index from; -1 when absent or not digits.
int keyNumber(const std::string& key, std::size_t from) {
    if (key.size() < from + 2) {
        return -1;
    }
    const char a = key[from];
    const char b = key[from + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        return -1;
    }
    return (a - '0') * 10 + (b - '0');
}

std::string keyPart(const std::string& key, std::size_t from, std::size_t len) {
    return from < key.size() ? key.substr(from, len) : std::string();
}

std::string_view keyView(const std::string& key, std::size_t from, std::size_t len) {
    return from < key.size() ? std::string_view(key).substr(from, len) : std::string_view();
}

void applyCellRules(const HourRow& r, const Settings& cnf, Cells& count, Cells& longEcho,
                    Cells& other) {
    if (r.remark == kGapRemark && r.observedMinutes == 0) {
        return; // an hour made only of gap rows
    }
    const int h = keyNumber(r.time, 8);
    if (h < 0 || h >= kHours) {
        return; // keys come from hourKeyOf; anything else has no column
    }
    if (r.aboveNoise) {
        std::string cell =
            (cnf.percentRates && r.underHour()) ? rateCell(r.echoRate()) : intCell(r.echo);
        // A count of five or more digits would otherwise touch the previous cell.
        if (cell[0] != ' ' && cell[0] != '%') {
            cell.insert(0, 1, ' ');
        }
        count[h] = std::move(cell);
        if (cnf.reportLongEcho) {
            longEcho[h] = intCell(r.longEcho);
        }
        if (cnf.reportOtherData) {
            other[h] = intCell(r.otherData);
        }
        return;
    }
    // Two blanks and the first two bytes of the remark (after a leading
    // "NoObserve") followed by "--". Bytes, not characters: a double-byte
    // character shows as its two bytes.
    std::string_view note = r.remark;
    if (note.starts_with(kGapRemark)) {
        note.remove_prefix(kGapRemark.size());
    }
    char cell[4] = {' ', ' ', '-', '-'};
    for (std::size_t i = 0; i < 2 && i < note.size(); ++i) {
        cell[2 + i] = note[i];
    }
    count[h].assign(cell, sizeof cell);
}

void blankZeros(Cells& cells) {
    for (std::string& c : cells) {
        if (c == "   0") {
            c = "    ";
        }
    }
}

std::string tableLine(std::string prefix, const Cells& cells) {
    std::string out = std::move(prefix);
    out.reserve(kLineWidth + 8);
    for (const std::string& c : cells) {
        out += c;
    }
    return out;
}

} // namespace

void buildTextReport(HourTable& data, const Settings& cnf, std::vector<std::string>& view) {
    data.computeRates(cnf.noiseMinutes);
    buildTextReportFromRated(data, cnf, view);
}

void buildTextReportFromRated(const HourTable& data, const Settings& cnf,
                              std::vector<std::string>& view) {
    view.clear();
    view.push_back(heading("LT", 0));
    view.push_back(heading("UT", cnf.utOffsetHours));
    view.emplace_back(kLineWidth, '-');

    std::string lastMonth = "aa";
    Cells count;
    Cells longEcho;
    Cells other;
    // A walk of its own rather than the list's cursor: the hours are only
    // read, so the report can be built beside other readers of them.
    const HourRow* at = data.top.get();
    while (at && at->next) {
        const std::string& firstKey = at->time;
        const std::string day = keyPart(firstKey, 4, 4);
        const std::string month = keyPart(firstKey, 4, 2);
        if (month != lastMonth) {
            const int m = keyNumber(firstKey, 4);
            std::string line = (m >= 1 && m <= 12)
                                   ? std::string(kLongMonthNames[static_cast<std::size_t>(m - 1)])
                                   : std::string();
            line += ' ';
            line += keyPart(firstKey, 0, 4);
            view.push_back(std::move(line));
            lastMonth = month;
        }
        std::string dayPrefix = keyPart(firstKey, 6, 2);
        dayPrefix += ' ';

        count.fill("  --");
        longEcho.fill("    ");
        other.fill("    ");
        while (at && at->next && keyView(at->time, 4, 4) == day) {
            applyCellRules(*at, cnf, count, longEcho, other);
            at = at->next.get();
        }
        if (cnf.reportLongEcho) {
            blankZeros(longEcho);
        }
        if (cnf.reportOtherData) {
            blankZeros(other);
        }

        view.push_back(tableLine(std::move(dayPrefix), count));
        if (cnf.reportLongEcho) {
            view.push_back(tableLine("   ", longEcho));
        }
        if (cnf.reportOtherData) {
            view.push_back(tableLine("   ", other));
        }
    }

    narrowReport(view);
}

void narrowReport(std::vector<std::string>& view) {
    // Index 2 is the separator and index 3 the first month line: neither is
    // examined, and the month line is never cut.
    std::array<bool, kHours> narrow;
    narrow.fill(true);
    int remaining = kHours;
    for (std::size_t i = 0; i < view.size() && remaining > 0; ++i) {
        if (i == 2 || i == 3) {
            continue;
        }
        const std::string& line = view[i];
        for (int j = 0; j < kHours; ++j) {
            if (!narrow[static_cast<std::size_t>(j)]) {
                continue;
            }
            const std::size_t p = static_cast<std::size_t>(4 * j + 3);
            // Past the end counts as neither a blank nor a digit.
            const bool firstBlank = p < line.size() && line[p] == ' ';
            const bool secondDigit =
                p + 1 < line.size() && line[p + 1] >= '0' && line[p + 1] <= '9';
            if (!firstBlank || secondDigit) {
                narrow[static_cast<std::size_t>(j)] = false;
                --remaining;
            }
        }
    }
    if (remaining == 0) {
        return;
    }

    // Each line is rebuilt once from its kept bytes, so the pass stays linear.
    std::string kept;
    for (std::size_t i = 0; i < view.size(); ++i) {
        if (i == 3) {
            continue;
        }
        std::string& line = view[i];
        kept.clear();
        kept.reserve(line.size());
        for (std::size_t p = 0; p < line.size(); ++p) {
            const bool cellStart = p >= 3 && (p - 3) % 4 == 0 && (p - 3) / 4 < kHours;
            if (cellStart && narrow[(p - 3) / 4]) {
                continue;
            }
            kept += line[p];
        }
        line.swap(kept);
    }
}
