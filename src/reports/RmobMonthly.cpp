#include "reports/RmobMonthly.h"

#include "shared/NumberFormat.h"
#include "shared/TextFile.h"
#include "shared/UFunction.h"

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
constexpr std::int64_t kWidestValue = 9999; // four characters, the whole cell

void appendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

RmobMonthTable emptyTable(UtMonth month) {
    RmobMonthTable table;
    table.Month = month;
    table.Days.resize(static_cast<size_t>(DaysInMonth(month)));
    return table;
}

// Calls f(codePoint) for each UTF-8 character; a byte that starts no valid
// sequence is reported as -1 and skipped alone.
template <typename F> void forEachCodePoint(std::string_view s, F&& f) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            len = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        bool valid = len > 0 && i + static_cast<size_t>(len) <= s.size();
        for (int k = 1; valid && k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms and surrogates are no characters.
        if (valid && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (valid) {
            f(static_cast<long>(cp));
            i += static_cast<size_t>(len);
        } else {
            f(-1L);
            ++i;
        }
    }
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
    forEachCodePoint(utf8, [&](long cp) {
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
    const std::string& text = station.*(field.Member);
    if (field.Member == &StationInfo::Longitude) {
        const auto v = ParseDegrees(text, 180.0);
        return v ? FormatDegreesDms(*v, 'E', 'W') : std::string();
    }
    if (field.Member == &StationInfo::Latitude) {
        const auto v = ParseDegrees(text, 90.0);
        return v ? FormatDegreesDms(*v, 'N', 'S') : std::string();
    }
    if (field.Member == &StationInfo::LongitudeGMAP || field.Member == &StationInfo::LatitudeGMAP) {
        const double limit = field.Member == &StationInfo::LongitudeGMAP ? 180.0 : 90.0;
        const auto v = ParseDegrees(text, limit);
        return v ? FormatDegreesDecimal(*v) : std::string();
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

int DaysInMonth(UtMonth month) {
    using namespace std::chrono;
    if (month.Month < 1 || month.Month > 12) {
        throw std::out_of_range("month " + std::to_string(month.Month) + " does not exist");
    }
    const year_month_day_last last{
        year{month.Year}, month_day_last{std::chrono::month{static_cast<unsigned>(month.Month)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

std::vector<RmobMonthTable> BuildRmobMonthTables(TReportDataList& data, const TCnfData& cnf) {
    if (!data.Top) {
        data.Init();
    }
    data.CalcRate(cnf.nd);
    std::map<UtMonth, RmobMonthTable> tables;
    // Rows come mostly in time order, so the month of the previous row is the
    // likely one; the map is searched only when the month changes.
    auto current = tables.end();
    const double shift = static_cast<double>(cnf.RTZ) / 24.0;
    for (data.Cur = data.Top.get(); data.Cur->Next; data.Cur = data.Cur->Next.get()) {
        const TReportDataRecord& row = *data.Cur;
        // The same UT hour as the RMOB page's key: the local hour key moved by
        // RTZ hours, with the page's rounding.
        const DateTimeParts ut = DecodeDateTime(HourKeyToDateTime(row.Time) + shift);
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
        if (row.Remark == kGapRemark && row.ObsTime == 0) {
            continue;
        }
        std::optional<std::int64_t>& cell =
            current->second.Days[static_cast<size_t>(ut.day - 1)][static_cast<size_t>(ut.hour)];
        if (row.AboveNoise) {
            cell = RoundHalfAway(row.RateEcho);
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

std::vector<UtMonth> RmobMonthlyMonths(TReportDataList& data, const TCnfData& cnf) {
    std::vector<UtMonth> months;
    for (const RmobMonthTable& t : BuildRmobMonthTables(data, cnf)) {
        months.push_back(t.Month);
    }
    return months;
}

std::string RmobMonthlyHeadLine(int month) {
    std::string line = kMonthAbbrev.at(static_cast<size_t>(month - 1));
    for (int h = 0; h < 24; ++h) {
        line += "| ";
        appendTwoDigits(line, h);
        line += 'h';
    }
    line += '|';
    return line;
}

std::string RmobMonthlyCell(std::optional<std::int64_t> value) {
    if (!value || *value < 0 || *value > kWidestValue) {
        return kNoValueCell;
    }
    std::string cell;
    AppendInt(cell, *value);
    if (cell.size() < 3) {
        cell.insert(0, 3 - cell.size(), ' ');
    }
    if (cell.size() < 4) {
        cell += ' ';
    }
    cell += '|';
    return cell;
}

std::vector<std::string> RmobStationBlock(const StationInfo& station) {
    std::vector<std::string> block;
    block.reserve(17);
    for (const StationField& field : StationFields()) {
        if (field.Member == &StationInfo::E) {
            block.push_back(std::string("[Soft FTP]") + kRmobSoftFtp);
        }
        block.push_back(field.Label + blockValue(station, field));
    }
    return block;
}

std::vector<std::string> RmobMonthlyLines(const RmobMonthTable& table, const StationInfo& station) {
    std::vector<std::string> lines;
    lines.reserve(table.Days.size() + 18);
    lines.push_back(RmobMonthlyHeadLine(table.Month.Month));
    int day = 0;
    for (const auto& hours : table.Days) {
        ++day;
        std::string line;
        line.reserve(3 + 24 * 5);
        appendTwoDigits(line, day);
        line += '|';
        for (const auto& value : hours) {
            line += RmobMonthlyCell(value);
        }
        lines.push_back(std::move(line));
    }
    for (std::string& l : RmobStationBlock(station)) {
        lines.push_back(std::move(l));
    }
    return lines;
}

std::vector<std::string> RmobMonthlyLines(TReportDataList& data, const TCnfData& cnf,
                                          const StationInfo& station, UtMonth month) {
    for (const RmobMonthTable& t : BuildRmobMonthTables(data, cnf)) {
        if (t.Month == month) {
            return RmobMonthlyLines(t, station);
        }
    }
    return RmobMonthlyLines(emptyTable(month), station);
}

std::string RmobMonthlyBaseName(const std::string& observer, UtMonth month) {
    std::string name;
    forEachCodePoint(trimmed(observer), [&](long cp) {
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
    appendTwoDigits(name, month.Month);
    appendTwoDigits(name, month.Year / 100);
    appendTwoDigits(name, month.Year % 100);
    name += "rmob";
    return name;
}

std::string RmobMonthlyFileName(const std::string& observer, UtMonth month) {
    return RmobMonthlyBaseName(observer, month) + ".TXT";
}

std::vector<RmobMonthlyFile> WriteRmobMonthlyFiles(TReportDataList& data, const TCnfData& cnf,
                                                   const StationInfo& station,
                                                   const std::string& folder) {
    std::vector<RmobMonthlyFile> written;
    for (const RmobMonthTable& table : BuildRmobMonthTables(data, cnf)) {
        const std::string path =
            joinPath(folder, RmobMonthlyFileName(station.Observer, table.Month));
        BackupFile(path);
        WriteLinesToFile(path, RmobMonthlyLines(table, station));
        written.push_back({table.Month, path});
    }
    return written;
}
