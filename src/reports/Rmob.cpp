#include "reports/Rmob.h"

#include "shared/DateTime.h"
#include "shared/NumberFormat.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kEmptyCell = "??? |";

// An hour key moved by RTZ hours, rolling day, month and year over as the
// calendar does.
std::string utKey(std::string_view localKey, std::int32_t rtz) {
    std::string key = shiftHourKey(localKey, rtz);
    // The shift can pass the year 9999 (its last evening moved east, or a
    // settings file with a time zone of a million hours), and a fifth year
    // digit would move the month out of its place. The tables show only
    // month, day and hour.
    if (key.size() > 10) {
        key.erase(0, key.size() - 10);
    }
    return key;
}

// The hour of a "yyyymmddhh" key (or of its last ten characters).
int hourOf(std::string_view key) {
    return (key[8] - '0') * 10 + (key[9] - '0');
}

// Whether a key is "yyyymmddhh" with an hour of 00 to 23.
bool plainHourKey(std::string_view key) {
    if (key.size() != 10) {
        return false;
    }
    for (char c : key) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return hourOf(key) <= 23;
}

std::string durationLabel(bool known, std::int32_t seconds) {
    return "Echoes longer than " + (known ? std::to_string(seconds) : std::string("XX")) +
           " seconds";
}

enum class Value { Rate, LongEcho, OtherData };

double valueOf(const HourRow& row, Value which) {
    switch (which) {
    case Value::Rate:
        return row.echoRate();
    case Value::LongEcho:
        return static_cast<double>(row.longEcho);
    case Value::OtherData:
        return static_cast<double>(row.otherData);
    }
    return 0;
}

// The UT keys of the hour rows in list order ("yyyymmddhh"), worked out once
// for all the tables of a build. The shift moves every hour of a local day
// alike, so the keys of its hours 00 and 23 say on which two UT dates its
// hours fall: the calendar is consulted twice a day instead of every hour.
std::vector<std::array<char, 10>> utKeysOf(const HourTable& data, std::int32_t rtz) {
    std::vector<std::array<char, 10>> keys;
    std::string day;               // the local date whose hours follow
    std::array<char, 10> first{};  // that date's hour 00, moved
    std::array<char, 10> second{}; // its hour 23, moved
    int firstHour = 0;
    for (const HourRow* at = data.top.get(); at->next; at = at->next.get()) {
        std::array<char, 10>& kept = keys.emplace_back();
        const std::string_view key = at->time;
        if (!plainHourKey(key)) {
            utKey(key, rtz).copy(kept.data(), kept.size());
            continue;
        }
        if (key.substr(0, 8) != day) {
            day = key.substr(0, 8);
            utKey(day + "00", rtz).copy(first.data(), first.size());
            utKey(day + "23", rtz).copy(second.data(), second.size());
            firstHour = hourOf({first.data(), first.size()});
        }
        const int hour = firstHour + hourOf(key);
        const bool nextDate = hour >= 24;
        kept = nextDate ? second : first;
        const int utHour = nextDate ? hour - 24 : hour;
        kept[8] = static_cast<char>('0' + utHour / 10);
        kept[9] = static_cast<char>('0' + utHour % 10);
    }
    return keys;
}

void appendTable(const HourTable& data, const std::vector<std::array<char, 10>>& keys, Value which,
                 std::vector<std::string>& view) {
    std::string lastMonth = "aa";
    // A day's cells as written; an hour without a cell shows kEmptyCell.
    // Put in place rather than made as a text each: a decade has a quarter
    // of a million of them per table.
    std::array<std::array<char, kRmobCellRoom>, 24> cells;
    std::array<std::uint8_t, 24> widths;
    // A walk of its own rather than the list's cursor: the hours are only
    // read, so the tables can be built beside other readers of them.
    const HourRow* at = data.top.get();
    std::size_t i = 0;
    while (at->next) {
        const std::string_view key(keys[i].data(), keys[i].size());
        const std::string month(key.substr(4, 2));
        if (month != lastMonth) {
            view.push_back(rmobHeadLine(month));
            lastMonth = month;
        }
        const std::string_view day = key.substr(4, 4);
        widths.fill(0);
        for (; at->next; at = at->next.get(), ++i) {
            const std::string_view rowKey(keys[i].data(), keys[i].size());
            if (rowKey.substr(4, 4) != day) {
                break;
            }
            const HourRow& row = *at;
            if (!(row.remark == "NoObserve" && row.observedMinutes == 0)) {
                const auto hour = static_cast<size_t>(hourOf(rowKey));
                char* cell = cells[hour].data();
                widths[hour] =
                    static_cast<std::uint8_t>(putRmobCell(cell, valueOf(row, which), row) - cell);
            }
        }
        std::string line;
        line.reserve(4 + 24 * 5);
        line.append(day.substr(2, 2));
        line += " |";
        for (std::size_t h = 0; h < 24; ++h) {
            if (widths[h] == 0) {
                line += kEmptyCell;
            } else {
                line.append(cells[h].data(), widths[h]);
            }
        }
        view.push_back(std::move(line));
    }
}

} // namespace

std::string rmobHeadLine(const std::string& month) {
    const int m = (month[0] - '0') * 10 + (month[1] - '0');
    std::string line(kLongMonthNames[static_cast<size_t>(m - 1)].substr(0, 3));
    for (int h = 0; h < 24; ++h) {
        line += "| ";
        line += static_cast<char>('0' + h / 10);
        line += static_cast<char>('0' + h % 10);
        line += 'h';
    }
    line += "|UT";
    return line;
}

char* putRmobCell(char* out, double value, const HourRow& row) {
    if (row.aboveNoise) {
        char number[kIntRoom];
        const auto width = static_cast<size_t>(putInt(number, roundHalfAway(value)) - number);
        for (size_t pad = width; pad < 3; ++pad) {
            *out++ = ' ';
        }
        std::memcpy(out, number, width);
        out += width;
        *out++ = ' ';
        *out++ = '|';
        return out;
    }
    std::string_view rest = row.remark;
    if (rest.starts_with("NoObserve")) {
        rest.remove_prefix(9);
    }
    if (rest.empty()) {
        std::memcpy(out, kEmptyCell, 5);
        return out + 5;
    }
    // The first two bytes of the rest, filled up with blanks.
    *out++ = ' ';
    *out++ = rest[0];
    *out++ = rest.size() < 2 ? ' ' : rest[1];
    *out++ = ' ';
    *out++ = '|';
    return out;
}

std::string rmobCell(double value, const HourRow& row) {
    char cell[kRmobCellRoom];
    return std::string(cell, static_cast<size_t>(putRmobCell(cell, value, row) - cell));
}

void buildRmob(HourTable& data, const Settings& cnf, std::vector<std::string>& view) {
    if (!data.top) {
        data.init();
    }
    data.computeRates(cnf.noiseMinutes);
    buildRmobFromRated(data, cnf, view);
}

void buildRmobFromRated(const HourTable& data, const Settings& cnf,
                        std::vector<std::string>& view) {
    view.clear();
    // Without hour rows the titles still replace an older build, so a written
    // file never pairs a previous data file's tables with the present data.
    view.push_back("Total number of echoes");
    view.push_back("");
    const std::vector<std::array<char, 10>> keys = utKeysOf(data, cnf.utOffsetHours);
    appendTable(data, keys, Value::Rate, view);
    auto countTable = [&](bool durationKnown, std::int32_t seconds, Value which) {
        view.push_back("");
        view.push_back("");
        view.push_back(durationLabel(durationKnown, seconds));
        view.push_back("");
        appendTable(data, keys, which, view);
    };
    if (cnf.rmobLongEcho) {
        countTable(cnf.longEchoDurationKnown, cnf.longEchoSeconds, Value::LongEcho);
    }
    if (cnf.rmobOtherData) {
        countTable(cnf.otherDataDurationKnown, cnf.otherDataSeconds, Value::OtherData);
    }
}
