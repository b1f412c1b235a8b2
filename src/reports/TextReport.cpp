#include "reports/TextReport.h"

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

using Cells = std::array<std::string, kHours>;

struct DayCells {
    Cells count, longEcho, otherData;
};

std::string heading(const char* label, std::int32_t shift) {
    // Reduced first, so that no stored time zone can overflow the sum.
    const std::int64_t reduced = static_cast<std::int64_t>(shift) % kHours;
    std::string out = label;
    out += ' ';
    for (int h = 0; h < kHours; ++h) {
        out += "  ";
        appendTwoDigits(out, static_cast<int>(((h + reduced) % kHours + kHours) % kHours));
    }
    return out;
}

// Right-aligned in four places; a longer number stays whole.
std::string intCell(std::int64_t value) {
    std::string digits;
    appendInt(digits, value);
    return digits.size() < 4 ? std::string(4 - digits.size(), ' ') + digits : digits;
}

std::string rateCell(double rate) {
    std::string text;
    appendInt(text, roundHalfAway(rate));
    // The mark goes right before the first digit, after any minus sign.
    text.insert(text.find_first_of("0123456789"), 1, '%');
    return text.size() < 4 ? std::string(4 - text.size(), ' ') + text : text;
}

// Two blanks and the first two bytes of the remark (after a leading
// "NoObserve") over "--". Bytes, not characters: a double-byte character
// shows as its two bytes.
std::string noiseCell(std::string_view remark) {
    if (remark.starts_with(kGapRemark)) {
        remark.remove_prefix(kGapRemark.size());
    }
    std::string cell = "  --";
    for (std::size_t i = 0; i < 2 && i < remark.size(); ++i) {
        cell[2 + i] = remark[i];
    }
    return cell;
}

void fillCells(const UtHour& hour, const Settings& settings, DayCells& cells) {
    if (hour.state == HourState::Gap) {
        return;
    }
    const HourRow& row = *hour.row;
    const auto h = static_cast<std::size_t>(calendarHourOf(row.hour).hour);
    if (hour.state == HourState::BelowNoise) {
        cells.count[h] = noiseCell(row.remark);
        return;
    }
    std::string cell =
        (settings.percentRates && row.underHour()) ? rateCell(hour.rate()) : intCell(row.echo);
    // A count of five or more digits would otherwise touch the previous cell.
    if (cell[0] != ' ' && cell[0] != '%') {
        cell.insert(0, 1, ' ');
    }
    cells.count[h] = std::move(cell);
    if (settings.reportLongEcho) {
        cells.longEcho[h] = intCell(row.longEcho);
    }
    if (settings.reportOtherData) {
        cells.otherData[h] = intCell(row.otherData);
    }
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

void appendDayLines(int day, DayCells& cells, const Settings& settings,
                    std::vector<std::string>& lines) {
    std::string prefix;
    appendTwoDigits(prefix, day);
    prefix += ' ';
    lines.push_back(tableLine(std::move(prefix), cells.count));
    if (settings.reportLongEcho) {
        blankZeros(cells.longEcho);
        lines.push_back(tableLine("   ", cells.longEcho));
    }
    if (settings.reportOtherData) {
        blankZeros(cells.otherData);
        lines.push_back(tableLine("   ", cells.otherData));
    }
}

} // namespace

std::vector<std::string> buildTextReport(const UtHourList& hours, const Settings& settings) {
    std::vector<std::string> lines;
    lines.push_back(heading("LT", 0));
    lines.push_back(heading("UT", hours.utOffsetHours()));
    lines.emplace_back(kLineWidth, '-');

    // Days and months of the data file's clock; a month line comes whenever
    // the month number changes, whatever the year.
    int lastMonth = 0;
    const std::vector<UtHour>& list = hours.hours();
    for (auto at = list.begin(); at != list.end();) {
        const CalendarHour first = calendarHourOf(at->local());
        if (first.month != lastMonth) {
            std::string line(kLongMonthNames[static_cast<std::size_t>(first.month - 1)]);
            line += ' ';
            line += hourKeyText(at->local()).substr(0, 4);
            lines.push_back(std::move(line));
            lastMonth = first.month;
        }
        DayCells cells;
        cells.count.fill("  --");
        cells.longEcho.fill("    ");
        cells.otherData.fill("    ");
        for (; at != list.end(); ++at) {
            const CalendarHour c = calendarHourOf(at->local());
            if (c.month != first.month || c.day != first.day) {
                break;
            }
            fillCells(*at, settings, cells);
        }
        appendDayLines(first.day, cells, settings, lines);
    }
    narrowReport(lines);
    return lines;
}

void narrowReport(std::vector<std::string>& lines) {
    // Index 2 is the separator and index 3 the first month line: neither is
    // examined, and the month line is never cut.
    std::array<bool, kHours> narrow;
    narrow.fill(true);
    int remaining = kHours;
    for (std::size_t i = 0; i < lines.size() && remaining > 0; ++i) {
        if (i == 2 || i == 3) {
            continue;
        }
        const std::string& line = lines[i];
        for (std::size_t j = 0; j < kHours; ++j) {
            if (!narrow[j]) {
                continue;
            }
            const std::size_t p = 4 * j + 3;
            // Past the end counts as neither a blank nor a digit.
            const bool firstBlank = p < line.size() && line[p] == ' ';
            const bool secondDigit =
                p + 1 < line.size() && line[p + 1] >= '0' && line[p + 1] <= '9';
            if (!firstBlank || secondDigit) {
                narrow[j] = false;
                --remaining;
            }
        }
    }
    if (remaining == 0) {
        return;
    }
    // Each line is rebuilt once from its kept bytes, so the pass stays linear.
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 3) {
            continue;
        }
        std::string& line = lines[i];
        kept.clear();
        kept.reserve(line.size());
        for (std::size_t p = 0; p < line.size(); ++p) {
            const bool cellStart = p >= 3 && (p - 3) % 4 == 0 && (p - 3) / 4 < kHours;
            if (!(cellStart && narrow[(p - 3) / 4])) {
                kept += line[p];
            }
        }
        line.swap(kept);
    }
}
