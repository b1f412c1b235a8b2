#include "reports/Rmob.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kEmptyCell = "??? |";

enum class Value : int { Rate, LongEcho, OtherData };

double valueOf(const UtHour& hour, Value which) {
    switch (which) {
    case Value::Rate:
        return hour.rate();
    case Value::LongEcho:
        return static_cast<double>(hour.row->longEcho);
    case Value::OtherData:
        return static_cast<double>(hour.row->otherData);
    }
    return 0;
}

std::string durationLabel(bool known, std::int32_t seconds) {
    return "Echoes longer than " + (known ? std::to_string(seconds) : std::string("XX")) +
           " seconds";
}

// The lines of one table for the UT days from the hour at `from` (the first
// of its day) on: a header line whenever the UT month number changes
// (whatever the year), a line for every UT day that has an hour. lastMonth
// is the month of the day before (0: none); onDay hears where each day
// starts: its first hour, its first line in the table, its month.
template <typename OnDay>
void appendTable(const std::vector<UtHour>& hours, std::size_t from, int lastMonth, Value which,
                 std::vector<std::string>& lines, OnDay&& onDay) {
    const std::size_t tableStart = lines.size();
    std::array<std::string, 24> cells;
    for (auto at = hours.begin() + static_cast<std::ptrdiff_t>(from); at != hours.end();) {
        const CalendarHour first = calendarHourOf(at->ut);
        onDay(static_cast<std::size_t>(at - hours.begin()), lines.size() - tableStart, first.month);
        if (first.month != lastMonth) {
            lines.push_back(rmobHeadLine(first.month));
            lastMonth = first.month;
        }
        cells.fill(std::string(kEmptyCell));
        for (; at != hours.end(); ++at) {
            const CalendarHour c = calendarHourOf(at->ut);
            if (c.month != first.month || c.day != first.day) {
                break;
            }
            // The later of two hours on one cell wins.
            if (at->state != HourState::Gap) {
                cells[static_cast<std::size_t>(c.hour)] = rmobCell(valueOf(*at, which), *at);
            }
        }
        std::string line;
        line.reserve(4 + 24 * 5);
        appendTwoDigits(line, first.day);
        line += " |";
        for (const std::string& cell : cells) {
            line += cell;
        }
        lines.push_back(std::move(line));
    }
}

void appendTable(const std::vector<UtHour>& hours, Value which, std::vector<std::string>& lines) {
    appendTable(hours, 0, 0, which, lines, [](std::size_t, std::size_t, int) {});
}

// The tables the settings ask for, in their order, each with the lines that
// come before it.
std::vector<std::pair<Value, std::vector<std::string>>> tablesOf(const Settings& settings) {
    std::vector<std::pair<Value, std::vector<std::string>>> tables = {
        {Value::Rate, {"Total number of echoes", ""}}};
    const auto countTable = [&](bool durationKnown, std::int32_t seconds, Value which) {
        tables.push_back({which, {"", "", durationLabel(durationKnown, seconds), ""}});
    };
    if (settings.rmobLongEcho) {
        countTable(settings.longEchoDurationKnown, settings.longEchoSeconds, Value::LongEcho);
    }
    if (settings.rmobOtherData) {
        countTable(settings.otherDataDurationKnown, settings.otherDataSeconds, Value::OtherData);
    }
    return tables;
}

} // namespace

std::string rmobHeadLine(int month) {
    std::string line(kLongMonthNames[static_cast<std::size_t>(month - 1)].substr(0, 3));
    for (int h = 0; h < 24; ++h) {
        line += "| ";
        appendTwoDigits(line, h);
        line += 'h';
    }
    line += "|UT";
    return line;
}

std::string rmobCell(double value, const UtHour& hour) {
    if (hour.state == HourState::Observed) {
        std::string number;
        appendInt(number, roundHalfAway(value));
        std::string cell = number.size() < 3 ? std::string(3 - number.size(), ' ') : "";
        cell += number;
        cell += " |";
        return cell;
    }
    std::string_view rest = hour.row->remark;
    if (rest.starts_with(kGapRemark)) {
        rest.remove_prefix(kGapRemark.size());
    }
    if (rest.empty()) {
        return std::string(kEmptyCell);
    }
    // The first two bytes of the rest, filled up with blanks.
    std::string cell = " ";
    cell += rest[0];
    cell += rest.size() < 2 ? ' ' : rest[1];
    cell += " |";
    return cell;
}

std::vector<std::string> buildRmob(const UtHourList& hours, const Settings& settings) {
    // Without hours the titles still replace an older build, so a written
    // file never pairs a previous data file's tables with the present data.
    std::vector<std::string> lines;
    for (auto& [which, before] : tablesOf(settings)) {
        lines.insert(lines.end(), before.begin(), before.end());
        appendTable(hours.hours(), which, lines);
    }
    return lines;
}

LiveRmob::LiveRmob(const Settings& settings) {
    for (auto& [which, before] : tablesOf(settings)) {
        tables_.push_back(static_cast<int>(which));
        lines_.insert(lines_.end(), before.begin(), before.end());
        titleLines_.push_back(before.size());
    }
}

SequenceChange LiveRmob::update(const UtHourList& hours, std::size_t fromHour) {
    // The UT day that holds the first changed hour is made again, and every
    // day after it, in each table.
    const auto day = std::upper_bound(days_.begin(), days_.end(), fromHour,
                                      [](std::size_t h, const Day& d) { return h < d.firstHour; });
    const std::size_t kept =
        day == days_.begin() ? 0 : static_cast<std::size_t>(day - days_.begin()) - 1;
    const std::size_t startHour = kept < days_.size() ? days_[kept].firstHour : 0;
    const std::size_t keptLines = kept < days_.size() ? days_[kept].firstLine : tableLines_;
    const int lastMonth = kept > 0 ? days_[kept - 1].month : 0;
    days_.resize(kept);
    SequenceChange change;
    std::size_t tableStart = 0;
    std::size_t newTableLines = keptLines;
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        tableStart += titleLines_[t];
        std::vector<std::string> tail;
        appendTable(hours.hours(), startHour, lastMonth, static_cast<Value>(tables_[t]), tail,
                    [&](std::size_t firstHour, std::size_t firstLine, int month) {
                        if (t == 0) {
                            days_.push_back(Day{firstHour, keptLines + firstLine, month});
                        }
                    });
        const auto at = lines_.begin() + static_cast<std::ptrdiff_t>(tableStart + keptLines);
        lines_.erase(at, at + static_cast<std::ptrdiff_t>(tableLines_ - keptLines));
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(tableStart + keptLines),
                      std::make_move_iterator(tail.begin()), std::make_move_iterator(tail.end()));
        change.push_back(Splice{tableStart + keptLines, tableLines_ - keptLines, tail.size()});
        newTableLines = keptLines + tail.size();
        tableStart += newTableLines;
    }
    tableLines_ = newTableLines;
    if (!updated_) {
        updated_ = true;
        return {Splice{0, 0, lines_.size()}};
    }
    std::erase_if(change, [](const Splice& s) { return s.removed == 0 && s.inserted == 0; });
    return change;
}
