#include "reports/RmobMonthly.h"

#include "shared/Backup.h"
#include "shared/DateTime.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"
#include "shared/Utf8CodePoints.h"

#include <chrono>
#include <map>
#include <stdexcept>
#include <string_view>

namespace {

// The collectors want English lower-case names whatever month names the
// program has installed for its own texts.
constexpr std::array<const char*, 12> kMonthAbbrev = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

constexpr const char* kNoValueCell = "??? |";

void appendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

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
        const auto v = parseDegrees(text, 180.0);
        return v ? formatDegreesDms(*v, 'E', 'W') : std::string();
    }
    if (field.member == &StationInfo::latitude) {
        const auto v = parseDegrees(text, 90.0);
        return v ? formatDegreesDms(*v, 'N', 'S') : std::string();
    }
    if (field.member == &StationInfo::longitudeGmap || field.member == &StationInfo::latitudeGmap) {
        const double limit = field.member == &StationInfo::longitudeGmap ? 180.0 : 90.0;
        const auto v = parseDegrees(text, limit);
        return v ? formatDegreesDecimal(*v) : std::string();
    }
    return toLatin1(text);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    return (last == '/' || last == '\\') ? folder + name : folder + "/" + name;
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

std::vector<RmobMonthTable> buildRmobMonthTables(HourTable& data, const Settings& cnf) {
    if (!data.top) {
        data.init();
    }
    data.computeRates(cnf.noiseMinutes);
    std::map<UtMonth, RmobMonthTable> tables;
    // Rows come mostly in time order, so the month of the previous row is the
    // likely one; the map is searched only when the month changes.
    auto current = tables.end();
    const double shift = static_cast<double>(cnf.utOffsetHours) / 24.0;
    for (data.cursor = data.top.get(); data.cursor->next; data.cursor = data.cursor->next.get()) {
        const HourRow& row = *data.cursor;
        // The same UT hour as the RMOB page's key: the local hour key moved by
        // RTZ hours, with the page's rounding.
        const DateTimeParts ut = decodeDateTime(hourKeyToDateTime(row.time) + shift);
        if (ut.year < 0 || ut.year > 9999) {
            continue; // no four-digit year to name the file by
        }
        const UtMonth month{ut.year, ut.month};
        if (current == tables.end() || current->first != month) {
            current = tables.find(month);
            if (current == tables.end()) {
                current = tables.emplace(month, emptyTable(month)).first;
            }
        }
        // An hour of gap slots only leaves its cell alone, as on the page; it
        // still brings its month into the list.
        if (row.remark == kGapRemark && row.observedMinutes == 0) {
            continue;
        }
        std::optional<std::int64_t>& cell =
            current->second.days[static_cast<size_t>(ut.day - 1)][static_cast<size_t>(ut.hour)];
        if (row.aboveNoise) {
            cell = roundHalfAway(row.echoRate());
        } else {
            cell.reset();
        }
    }
    std::vector<RmobMonthTable> ordered;
    ordered.reserve(tables.size());
    for (auto& [month, table] : tables) {
        ordered.push_back(std::move(table));
    }
    return ordered;
}

std::vector<UtMonth> rmobMonthlyMonths(HourTable& data, const Settings& cnf) {
    std::vector<UtMonth> months;
    for (const RmobMonthTable& t : buildRmobMonthTables(data, cnf)) {
        months.push_back(t.month);
    }
    return months;
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
    // The readers in use take the number after the cell's first blank. Four
    // digits and more have no room for it; they stay whole so that an hour
    // that was observed never reads as one that was not.
    std::string cell;
    if (digits.size() < 4) {
        cell += ' ';
        cell += digits;
        cell.append(3 - digits.size(), ' ');
    } else {
        cell = std::move(digits);
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
    lines.reserve(table.days.size() + 18);
    lines.push_back(rmobMonthlyHeadLine(table.month.month));
    int day = 0;
    for (const auto& hours : table.days) {
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

std::vector<std::string> rmobMonthlyLines(HourTable& data, const Settings& cnf,
                                          const StationInfo& station, UtMonth month) {
    for (const RmobMonthTable& t : buildRmobMonthTables(data, cnf)) {
        if (t.month == month) {
            return rmobMonthlyLines(t, station);
        }
    }
    return rmobMonthlyLines(emptyTable(month), station);
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

std::vector<RmobMonthlyFile> writeRmobMonthlyFiles(HourTable& data, const Settings& cnf,
                                                   const StationInfo& station,
                                                   const std::string& folder) {
    std::vector<RmobMonthlyFile> written;
    for (const RmobMonthTable& table : buildRmobMonthTables(data, cnf)) {
        const std::string path =
            joinPath(folder, rmobMonthlyFileName(station.observer, table.month));
        backupFile(path);
        writeLinesToFile(path, rmobMonthlyLines(table, station));
        written.push_back({table.month, path});
    }
    return written;
}

RmobMonthlyFile writeRmobMonthlyFile(HourTable& data, const Settings& cnf,
                                     const StationInfo& station, UtMonth month,
                                     const std::string& folder) {
    // Checked before anything is computed or backed up.
    daysInMonth(month);
    const std::string path = joinPath(folder, rmobMonthlyFileName(station.observer, month));
    std::vector<std::string> lines = rmobMonthlyLines(data, cnf, station, month);
    backupFile(path);
    writeLinesToFile(path, lines);
    return {month, path};
}
