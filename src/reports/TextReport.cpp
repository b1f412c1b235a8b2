#include "reports/TextReport.h"

#include "shared/NumberFormat.h"

#include <algorithm>
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

// The lines of the days from the hour at `from` (the first of its day) on;
// lastMonth is the month of the day before (0: none). onDay hears where
// each day starts: its first hour, its first line (its month line when it
// has one) and its month. Days and months are
// the data file's clock; a month line comes whenever the month number
// changes, whatever the year.
template <typename OnDay>
void appendDays(const std::vector<UtHour>& list, std::size_t from, int lastMonth,
                const Settings& settings, std::vector<std::string>& lines, OnDay&& onDay) {
    for (auto at = list.begin() + static_cast<std::ptrdiff_t>(from); at != list.end();) {
        const CalendarHour first = calendarHourOf(at->local());
        onDay(static_cast<std::size_t>(at - list.begin()), lines.size(), first.month);
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
}

void appendHeadings(const UtHourList& hours, std::vector<std::string>& lines) {
    lines.push_back(heading("LT", 0));
    lines.push_back(heading("UT", hours.utOffsetHours()));
    lines.emplace_back(kLineWidth, '-');
}

// Bit j set: the line lets hour column j be narrowed (a blank where the
// column starts and no digit after it; past the end counts as neither).
std::uint32_t narrowableColumns(const std::string& line) {
    std::uint32_t columns = 0;
    for (std::size_t j = 0; j < kHours; ++j) {
        const std::size_t p = 4 * j + 3;
        const bool firstBlank = p < line.size() && line[p] == ' ';
        const bool secondDigit = p + 1 < line.size() && line[p + 1] >= '0' && line[p + 1] <= '9';
        if (firstBlank && !secondDigit) {
            columns |= std::uint32_t{1} << j;
        }
    }
    return columns;
}

constexpr std::uint32_t kAllColumns = (std::uint32_t{1} << kHours) - 1;

// Index 2 is the separator and index 3 the first month line: neither is
// examined, and the month line is never cut.
constexpr bool examined(std::size_t index) {
    return index != 2 && index != 3;
}

// The line without the first character of each narrowed column.
void narrowLine(const std::string& line, std::uint32_t columns, std::string& out) {
    out.clear();
    out.reserve(line.size());
    for (std::size_t p = 0; p < line.size(); ++p) {
        const bool cellStart = p >= 3 && (p - 3) % 4 == 0 && (p - 3) / 4 < kHours;
        if (!(cellStart && (columns >> ((p - 3) / 4) & 1) != 0)) {
            out += line[p];
        }
    }
}

} // namespace

std::vector<std::string> buildTextReport(const UtHourList& hours, const Settings& settings) {
    std::vector<std::string> lines;
    appendHeadings(hours, lines);
    appendDays(hours.hours(), 0, 0, settings, lines, [](std::size_t, std::size_t, int) {});
    narrowReport(lines);
    return lines;
}

void narrowReport(std::vector<std::string>& lines) {
    std::uint32_t columns = kAllColumns;
    for (std::size_t i = 0; i < lines.size() && columns != 0; ++i) {
        if (examined(i)) {
            columns &= narrowableColumns(lines[i]);
        }
    }
    if (columns == 0) {
        return;
    }
    // Each line is rebuilt once from its kept bytes, so the pass stays linear.
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 3) {
            narrowLine(lines[i], columns, kept);
            lines[i].swap(kept);
        }
    }
}

LiveTextReport::LiveTextReport(const Settings& settings) : settings_(settings) {}
LiveTextReport::~LiveTextReport() = default;

SequenceChange LiveTextReport::update(const UtHourList& hours, std::size_t fromHour) {
    if (wide_.empty()) {
        appendHeadings(hours, wide_);
    }
    // The day that holds the first changed hour is made again, and every
    // day after it.
    const auto day = std::upper_bound(days_.begin(), days_.end(), fromHour,
                                      [](std::size_t h, const Day& d) { return h < d.firstHour; });
    const std::size_t kept =
        day == days_.begin() ? 0 : static_cast<std::size_t>(day - days_.begin()) - 1;
    const std::size_t startHour = kept < days_.size() ? days_[kept].firstHour : 0;
    const std::size_t keptLines = kept < days_.size() ? days_[kept].firstLine : wide_.size();
    const int lastMonth = kept > 0 ? days_[kept - 1].month : 0;
    days_.resize(kept);
    wide_.resize(keptLines);
    narrowable_.resize(std::min(narrowable_.size(), keptLines));
    appendDays(hours.hours(), startHour, lastMonth, settings_, wide_,
               [this](std::size_t firstHour, std::size_t firstLine, int month) {
                   days_.push_back(Day{firstHour, firstLine, month});
               });
    for (std::size_t i = narrowable_.size(); i < wide_.size(); ++i) {
        narrowable_.push_back(examined(i) ? narrowableColumns(wide_[i]) : kAllColumns);
    }
    std::uint32_t columns = kAllColumns;
    for (const std::uint32_t c : narrowable_) {
        columns &= c;
    }
    // A change of the narrowed columns changes every line; otherwise only
    // the days made again.
    const std::size_t oldSize = lines_.size();
    const std::size_t same =
        columns == columns_ && !lines_.empty() ? std::min(keptLines, oldSize) : 0;
    columns_ = columns;
    lines_.resize(same);
    std::string narrowed;
    for (std::size_t i = same; i < wide_.size(); ++i) {
        if (i == 3 || columns == 0) {
            lines_.push_back(wide_[i]);
        } else {
            narrowLine(wide_[i], columns, narrowed);
            lines_.push_back(narrowed);
        }
    }
    if (oldSize == 0) {
        return {Splice{0, 0, lines_.size()}};
    }
    return keptThenNew(same, oldSize, lines_.size());
}
