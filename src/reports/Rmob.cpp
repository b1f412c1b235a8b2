#include "reports/Rmob.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view kEmptyCell = "??? |";

enum class Value { Rate, LongEcho, OtherData };

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

// One table over all hours: a header line whenever the UT month number
// changes (whatever the year), a line for every UT day that has an hour.
void appendTable(const std::vector<UtHour>& hours, Value which, std::vector<std::string>& lines) {
    int lastMonth = 0;
    std::array<std::string, 24> cells;
    for (auto at = hours.begin(); at != hours.end();) {
        const CalendarHour first = calendarHourOf(at->ut);
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
    std::vector<std::string> lines = {"Total number of echoes", ""};
    appendTable(hours.hours(), Value::Rate, lines);
    const auto countTable = [&](bool durationKnown, std::int32_t seconds, Value which) {
        lines.insert(lines.end(), {"", "", durationLabel(durationKnown, seconds), ""});
        appendTable(hours.hours(), which, lines);
    };
    if (settings.rmobLongEcho) {
        countTable(settings.longEchoDurationKnown, settings.longEchoSeconds, Value::LongEcho);
    }
    if (settings.rmobOtherData) {
        countTable(settings.otherDataDurationKnown, settings.otherDataSeconds, Value::OtherData);
    }
    return lines;
}
