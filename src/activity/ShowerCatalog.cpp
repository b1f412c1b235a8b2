#include "activity/ShowerCatalog.h"

#include "shared/IoError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#ifndef VELK_INSTALLED_DATA_DIR
#define VELK_INSTALLED_DATA_DIR ""
#endif
#ifndef VELK_SOURCE_DATA_DIR
#define VELK_SOURCE_DATA_DIR ""
#endif

namespace {

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(first, last - first + 1));
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = line.find(',', from);
        out.push_back(trim(std::string_view(line).substr(from, comma - from)));
        if (comma == std::string::npos) {
            return out;
        }
        from = comma + 1;
    }
}

class LineError : public std::runtime_error {
public:
    LineError(const std::string& source, int line, const std::string& what)
        : std::runtime_error(source + ", line " + std::to_string(line) + ": " + what) {}
};

double toNumber(const std::string& text, const char* column, const std::string& source, int line) {
    double v = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end) {
        throw LineError(source, line,
                        std::string("column ") + column + " is no number: '" + text + "'");
    }
    return v;
}

MonthDay toMonthDay(const std::string& text, const char* column, const std::string& source,
                    int line) {
    int m = 0, d = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    auto r1 = std::from_chars(p, end, m);
    bool ok = r1.ec == std::errc() && r1.ptr != end && *r1.ptr == '-';
    if (ok) {
        auto r2 = std::from_chars(r1.ptr + 1, end, d);
        ok = r2.ec == std::errc() && r2.ptr == end;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (!ok || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) {
        throw LineError(source, line,
                        std::string("column ") + column + " is no MM-DD date: '" + text + "'");
    }
    return {m, d};
}

// Where each named column stands in a line.
using ColumnIndex = std::map<std::string, std::size_t>;

// The header names the columns in any order, so that an observer's own file
// may keep the columns a spreadsheet gave it.
ColumnIndex readHeader(std::vector<std::string> fields, const std::string& sourceName) {
    if (!fields.empty() && fields[0].size() >= 3 &&
        static_cast<unsigned char>(fields[0][0]) == 0xEF) {
        fields[0].erase(0, 3); // byte order mark of a file saved by a spreadsheet
    }
    ColumnIndex columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        columns[fields[i]] = i;
    }
    for (const char* required : {"code", "start", "end", "peak_solar_longitude", "ra", "dec"}) {
        if (columns.find(required) == columns.end()) {
            throw std::runtime_error(sourceName + ": the header has no column '" + required + "'");
        }
    }
    return columns;
}

// One shower line's fields by column name; errors name the file and line.
class CatalogLine {
public:
    CatalogLine(std::vector<std::string> fields, const ColumnIndex& columns,
                const std::string& source, int line)
        : fields_(std::move(fields)), columns_(columns), source_(source), line_(line) {}

    // Empty for a column the header lacks or the line leaves out.
    std::string text(const char* name) const {
        auto it = columns_.find(name);
        if (it == columns_.end() || it->second >= fields_.size()) {
            return {};
        }
        return fields_[it->second];
    }
    double number(const char* name) const { return toNumber(text(name), name, source_, line_); }
    double number(const char* name, double fallback) const {
        const std::string v = text(name);
        return v.empty() ? fallback : toNumber(v, name, source_, line_);
    }
    MonthDay monthDay(const char* name) const {
        return toMonthDay(text(name), name, source_, line_);
    }
    [[noreturn]] void refuse(const std::string& what) const {
        throw LineError(source_, line_, what);
    }

private:
    std::vector<std::string> fields_;
    const ColumnIndex& columns_;
    const std::string& source_;
    int line_;
};

Shower showerOf(const CatalogLine& line) {
    Shower s;
    s.code = line.text("code");
    if (s.code.empty()) {
        line.refuse("the shower has no code");
    }
    s.name = line.text("name").empty() ? s.code : line.text("name");
    s.start = line.monthDay("start");
    s.end = line.monthDay("end");
    s.peakSolarLongitude = line.number("peak_solar_longitude");
    s.rightAscension = line.number("ra");
    s.declination = line.number("dec");
    if (s.peakSolarLongitude < 0 || s.peakSolarLongitude >= 360 || s.declination < -90 ||
        s.declination > 90) {
        line.refuse("solar longitude or declination out of range");
    }
    s.rightAscensionDrift = line.number("ra_drift_per_day", 0);
    s.declinationDrift = line.number("dec_drift_per_day", 0);
    s.velocity = line.number("velocity", 0);
    // No number is not zero: an unknown ZHR must not pass for a weak shower.
    if (!line.text("zhr").empty()) {
        s.zhr = line.number("zhr");
    }
    s.daytime = line.text("daytime") == "1";
    s.iauNumber = static_cast<int>(line.number("iau_number", 0));
    return s;
}

} // namespace

bool Shower::crossesNewYear() const {
    return start.month > end.month || (start.month == end.month && start.day > end.day);
}

std::vector<Shower> parseShowerCatalog(std::istream& in, const std::string& sourceName) {
    std::vector<Shower> out;
    std::optional<ColumnIndex> columns; // until the header line
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#') {
            continue;
        }
        if (!columns) {
            columns = readHeader(splitFields(t), sourceName);
        } else {
            out.push_back(showerOf(CatalogLine(splitFields(t), *columns, sourceName, lineNo)));
        }
    }
    if (!columns) {
        throw std::runtime_error(sourceName + ": no header line");
    }
    return out;
}

std::vector<Shower> parseShowerCatalog(const std::string& text, const std::string& sourceName) {
    std::istringstream in(text);
    return parseShowerCatalog(in, sourceName);
}

std::vector<Shower> loadShowerCatalog(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throwIoError(FileOperation::Read, path.string(), errno);
    }
    return parseShowerCatalog(in, path.string());
}

std::vector<Shower> mergeShowerCatalogs(std::vector<Shower> base,
                                        const std::vector<Shower>& extra) {
    for (const Shower& s : extra) {
        auto it = std::find_if(base.begin(), base.end(),
                               [&](const Shower& b) { return b.code == s.code; });
        if (it != base.end()) {
            *it = s;
        } else {
            base.push_back(s);
        }
    }
    return base;
}

const Shower* findShower(const std::vector<Shower>& catalog, const std::string& code) {
    for (const Shower& s : catalog) {
        if (s.code == code) {
            return &s;
        }
    }
    return nullptr;
}

std::optional<std::filesystem::path>
findShowerCatalogFile(const std::filesystem::path& executableDir) {
    namespace fs = std::filesystem;
    const fs::path name = "showers.csv";
    std::vector<fs::path> candidates = {
        executableDir / name,
        executableDir / "data" / name,
        executableDir / ".." / "data" / name,
        executableDir / ".." / ".." / "data" / name,
        executableDir / ".." / "share" / "velkreport" / name,
    };
    if (*VELK_SOURCE_DATA_DIR) {
        candidates.push_back(fs::path(VELK_SOURCE_DATA_DIR) / name);
    }
    if (*VELK_INSTALLED_DATA_DIR) {
        candidates.push_back(fs::path(VELK_INSTALLED_DATA_DIR) / name);
    }
    for (const fs::path& p : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(p, ec)) {
            return p.lexically_normal();
        }
    }
    return std::nullopt;
}

std::filesystem::path executableDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        return std::filesystem::current_path(ec);
    }
    return exe.parent_path();
}

std::string userShowerFileName(const std::string& settingsFileName) {
    const size_t sep = settingsFileName.find_last_of("/\\");
    const size_t dot = settingsFileName.find_last_of('.');
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep)) {
        return settingsFileName.substr(0, dot) + ".showers.csv";
    }
    return settingsFileName + ".showers.csv";
}

std::vector<Shower> loadShowerList(const std::string& settingsFileName,
                                   const std::optional<std::string>& userFile) {
    const auto shipped = findShowerCatalogFile(executableDirectory());
    if (!shipped) {
        throw std::runtime_error("Cannot find the shower list showers.csv beside the program or in "
                                 "its data folder");
    }
    std::vector<Shower> list = loadShowerCatalog(*shipped);
    if (userFile) {
        return mergeShowerCatalogs(std::move(list), loadShowerCatalog(*userFile));
    }
    const std::string own = userShowerFileName(settingsFileName);
    std::error_code ec;
    if (std::filesystem::is_regular_file(own, ec)) {
        return mergeShowerCatalogs(std::move(list), loadShowerCatalog(own));
    }
    return list;
}
