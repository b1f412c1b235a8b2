#include "reports/Rmob.h"

#include "shared/NumberFormat.h"
#include "shared/UFunction.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr const char* kEmptyCell = "??? |";

// The row's hour key moved by RTZ hours, rolling day, month and year over as
// the calendar does.
std::string utKey(const TReportDataRecord& row, std::int32_t rtz) {
    std::string key = ShiftHourKey(row.Time, rtz);
    // The shift can pass the year 9999 (its last evening moved east, or a
    // settings file with a time zone of a million hours), and a fifth year
    // digit would move the month out of its place. The tables show only
    // month, day and hour.
    if (key.size() > 10) {
        key.erase(0, key.size() - 10);
    }
    return key;
}

std::string durationLabel(bool known, std::int32_t seconds) {
    return "Echoes longer than " + (known ? std::to_string(seconds) : std::string("XX")) +
           " seconds";
}

enum class Value { Rate, LongEcho, OtherData };

double valueOf(const TReportDataRecord& row, Value which) {
    switch (which) {
    case Value::Rate:
        return row.RateEcho;
    case Value::LongEcho:
        return static_cast<double>(row.LongEcho);
    case Value::OtherData:
        return static_cast<double>(row.OtherData);
    }
    return 0;
}

void appendTable(TReportDataList& data, std::int32_t rtz, Value which,
                 std::vector<std::string>& view) {
    std::string lastMonth = "aa";
    std::array<std::string, 24> cells;
    data.Cur = data.Top.get();
    std::string key = data.Cur->Next ? utKey(*data.Cur, rtz) : std::string();
    while (data.Cur->Next) {
        const std::string month = key.substr(4, 2);
        if (month != lastMonth) {
            view.push_back(RMOBHeadLine(month));
            lastMonth = month;
        }
        const std::string day = key.substr(4, 4);
        cells.fill(kEmptyCell);
        while (data.Cur->Next && key.compare(4, 4, day) == 0) {
            const TReportDataRecord& row = *data.Cur;
            if (!(row.Remark == "NoObserve" && row.ObsTime == 0)) {
                const int hour = (key[8] - '0') * 10 + (key[9] - '0');
                cells[static_cast<size_t>(hour)] = RMOBCell(valueOf(row, which), row);
            }
            data.Cur = data.Cur->Next.get();
            if (data.Cur->Next) {
                key = utKey(*data.Cur, rtz);
            }
        }
        view.push_back(RMOBDayLine(day, cells));
    }
}

} // namespace

std::string RMOBHeadLine(const std::string& month) {
    const int m = (month[0] - '0') * 10 + (month[1] - '0');
    std::string line = LongMonthNames[static_cast<size_t>(m - 1)].substr(0, 3);
    for (int h = 0; h < 24; ++h) {
        line += "| ";
        line += static_cast<char>('0' + h / 10);
        line += static_cast<char>('0' + h % 10);
        line += 'h';
    }
    line += "|UT";
    return line;
}

std::string RMOBDayLine(const std::string& mmdd, const std::array<std::string, 24>& cells) {
    std::string line = mmdd.substr(2, 2) + " |";
    for (const std::string& cell : cells) {
        line += cell;
    }
    return line;
}

std::string RMOBCell(double value, const TReportDataRecord& row) {
    std::string cell;
    if (row.AboveNoise) {
        char number[kIntRoom];
        const auto width = static_cast<size_t>(PutInt(number, RoundHalfAway(value)) - number);
        if (width < 3) {
            cell.assign(3 - width, ' ');
        }
        cell.append(number, width);
        cell += " |";
        return cell;
    }
    std::string_view rest = row.Remark;
    if (rest.starts_with("NoObserve")) {
        rest.remove_prefix(9);
    }
    if (rest.empty()) {
        return kEmptyCell;
    }
    // The first two bytes of the rest, filled up with blanks.
    cell = ' ';
    cell += rest.substr(0, 2);
    if (rest.size() < 2) {
        cell += ' ';
    }
    cell += " |";
    return cell;
}

void BuildRmob(TReportDataList& data, const TCnfData& cnf, std::vector<std::string>& view) {
    if (!data.Top) {
        data.Init();
    }
    view.clear();
    data.CalcRate(cnf.nd);
    // Without hour rows the titles still replace an older build, so a written
    // file never pairs a previous data file's tables with the present data.
    view.push_back("Total number of echoes");
    view.push_back("");
    appendTable(data, cnf.RTZ, Value::Rate, view);
    auto countTable = [&](bool durationKnown, std::int32_t seconds, Value which) {
        view.push_back("");
        view.push_back("");
        view.push_back(durationLabel(durationKnown, seconds));
        view.push_back("");
        appendTable(data, cnf.RTZ, which, view);
    };
    if (cnf.RMOBLE) {
        countTable(cnf.LongFLE, cnf.LongTLE, Value::LongEcho);
    }
    if (cnf.RMOBOD) {
        countTable(cnf.LongFOD, cnf.LongTOD, Value::OtherData);
    }
}
