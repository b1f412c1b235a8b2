#include "reports/RmobMonthly.h"

#include "shared/NumberFormat.h"
#include "shared/Utf8CodePoints.h"

#include <chrono>
#include <stdexcept>
#include <string_view>

namespace {

// The collectors want English lower-case names whatever month names the
// program has installed for its own texts.
constexpr std::array<const char*, 12> kMonthAbbrev = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

constexpr const char* kNoValueCell = "??? |";

RmobMonthTable emptyTable(UtMonth month) {
    RmobMonthTable table;
    table.month = month;
    table.days.resize(static_cast<size_t>(daysInMonth(month)));
    return table;
}

std::string trimmed(std::string s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A station value in the monthly file's 8-bit code: Latin-1, where the degree
// sign is 0xB0. Characters beyond Latin-1 become "?", control characters a
// blank, so a value never breaks its line.
std::string toLatin1(std::string_view utf8) {
    std::string out;
    forEachUtf8CodePoint(utf8, [&](long cp) {
        if (cp < 0 || cp > 0xFF) {
            out += '?';
        } else if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            out += ' ';
        } else {
            out += static_cast<char>(static_cast<unsigned char>(cp));
        }
    });
    return trimmed(std::move(out));
}

std::string blockValue(const StationInfo& station, const StationField& field) {
    const std::string& text = station.*(field.member);
    if (field.member == &StationInfo::longitude) {
        const auto v = parseDegrees(text, 180.0, 'E', 'W');
        return v ? formatDegreesDms(*v, 'E', 'W') : std::string();
    }
    if (field.member == &StationInfo::latitude) {
        const auto v = parseDegrees(text, 90.0, 'N', 'S');
        return v ? formatDegreesDms(*v, 'N', 'S') : std::string();
    }
    if (field.member == &StationInfo::longitudeGmap || field.member == &StationInfo::latitudeGmap) {
        const bool longitude = field.member == &StationInfo::longitudeGmap;
        const auto v =
            longitude ? parseDegrees(text, 180.0, 'E', 'W') : parseDegrees(text, 90.0, 'N', 'S');
        return v ? formatDegreesDecimal(*v) : std::string();
    }
    return toLatin1(text);
}

} // namespace

int daysInMonth(UtMonth month) {
    using namespace std::chrono;
    if (month.month < 1 || month.month > 12) {
        throw std::out_of_range("month " + std::to_string(month.month) + " does not exist");
    }
    const year_month_day_last last{
        year{month.year}, month_day_last{std::chrono::month{static_cast<unsigned>(month.month)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

std::vector<RmobMonthTable> buildRmobMonthTables(const UtHourList& hours) {
    return buildRmobMonthTables(hours, 0);
}

std::vector<RmobMonthTable> buildRmobMonthTables(const UtHourList& hours, std::size_t fromHour) {
    std::vector<RmobMonthTable> tables;
    // The hours come in UT order, so each month is built in one stretch.
    const std::vector<UtHour>& list = hours.hours();
    for (std::size_t i = utMonthStart(hours, fromHour); i < list.size(); ++i) {
        const UtHour& hour = list[i];
        const std::optional<CalendarHour> ut = hour.utCalendar();
        if (!ut) {
            continue; // no four-digit year to name the file by
        }
        const UtMonth month{static_cast<int>(ut->year), ut->month};
        if (tables.empty() || tables.back().month != month) {
            tables.push_back(emptyTable(month));
        }
        // An hour of gap slots only leaves its cell alone, as on the page; it
        // still brings its month into the list.
        if (hour.state == HourState::Gap) {
            continue;
        }
        std::optional<std::int64_t>& cell =
            tables.back().days[static_cast<size_t>(ut->day - 1)][static_cast<size_t>(ut->hour)];
        if (hour.state == HourState::Observed) {
            cell = roundHalfAway(hour.rate());
        } else {
            cell.reset();
        }
    }
    return tables;
}

std::vector<UtMonth> rmobMonthlyMonths(const UtHourList& hours) {
    std::vector<UtMonth> months;
    for (const RmobMonthTable& t : buildRmobMonthTables(hours)) {
        months.push_back(t.month);
    }
    return months;
}

RmobMonthTable rmobMonthTable(const UtHourList& hours, UtMonth month) {
    // Checked before anything is computed.
    daysInMonth(month);
    for (RmobMonthTable& t : buildRmobMonthTables(hours)) {
        if (t.month == month) {
            return std::move(t);
        }
    }
    return emptyTable(month);
}

std::string rmobMonthlyHeadLine(int month) {
    std::string line = kMonthAbbrev.at(static_cast<size_t>(month - 1));
    for (int h = 0; h < 24; ++h) {
        line += "| ";
        appendTwoDigits(line, h);
        line += 'h';
    }
    line += '|';
    return line;
}

std::string rmobMonthlyCell(std::optional<std::int64_t> value) {
    if (!value || *value < 0) {
        return kNoValueCell;
    }
    std::string digits;
    appendInt(digits, *value);
    // As the published files write them: one and two digits after a blank,
    // three digits before one; four digits and more stay whole, so that an
    // hour that was observed never reads as one that was not.
    std::string cell;
    if (digits.size() < 3) {
        cell = ' ' + digits;
    } else {
        cell = std::move(digits);
    }
    if (cell.size() < 4) {
        cell.append(4 - cell.size(), ' ');
    }
    cell += '|';
    return cell;
}

std::vector<std::string> rmobStationBlock(const StationInfo& station) {
    std::vector<std::string> block;
    block.reserve(17);
    for (const StationField& field : stationFields()) {
        if (field.member == &StationInfo::email) {
            block.push_back(std::string("[Soft FTP]") + kRmobSoftFtp);
        }
        block.push_back(field.label + blockValue(station, field));
    }
    return block;
}

std::vector<std::string> rmobMonthlyLines(const RmobMonthTable& table, const StationInfo& station) {
    std::vector<std::string> lines;
    lines.reserve(kRmobMonthlyDayLines + 18);
    lines.push_back(rmobMonthlyHeadLine(table.month.month));
    // The readers take the 31 lines after the header as days whatever the
    // month, as nearly every published file has them: a shorter month's
    // missing days are unobserved.
    std::vector<std::array<std::optional<std::int64_t>, 24>> days = table.days;
    days.resize(kRmobMonthlyDayLines);
    int day = 0;
    for (const auto& hours : days) {
        ++day;
        std::string line;
        line.reserve(4 + 24 * 5);
        // The blank puts every "|" under the header's.
        line += ' ';
        appendTwoDigits(line, day);
        line += '|';
        for (const auto& value : hours) {
            line += rmobMonthlyCell(value);
        }
        lines.push_back(std::move(line));
    }
    for (std::string& l : rmobStationBlock(station)) {
        lines.push_back(std::move(l));
    }
    return lines;
}

std::string rmobMonthlyBaseName(const std::string& observer, UtMonth month) {
    std::string name;
    forEachUtf8CodePoint(trimmed(observer), [&](long cp) {
        // Only printable ASCII outside the characters that some file system
        // refuses or reads as a folder: the collectors' systems and the
        // observer's own must all accept the name unchanged.
        const bool safe =
            cp > 0x20 && cp < 0x7F &&
            std::string_view("/\\:*?\"<>|").find(static_cast<char>(cp)) == std::string_view::npos;
        name += safe ? static_cast<char>(cp) : '_';
    });
    if (name.empty()) {
        name = "unknown";
    }
    name += '_';
    appendTwoDigits(name, month.month);
    appendTwoDigits(name, month.year / 100);
    appendTwoDigits(name, month.year % 100);
    name += "rmob";
    return name;
}

std::string rmobMonthlyFileName(const std::string& observer, UtMonth month) {
    return rmobMonthlyBaseName(observer, month) + ".TXT";
}

RmobMonthlyFile rmobMonthlyFile(const RmobMonthTable& table, const StationInfo& station) {
    return {table.month, rmobMonthlyFileName(station.observer, table.month),
            rmobMonthlyLines(table, station)};
}

std::vector<RmobMonthlyFile> rmobMonthlyFiles(const UtHourList& hours, const StationInfo& station) {
    std::vector<RmobMonthlyFile> files;
    for (const RmobMonthTable& table : buildRmobMonthTables(hours)) {
        files.push_back(rmobMonthlyFile(table, station));
    }
    return files;
}
