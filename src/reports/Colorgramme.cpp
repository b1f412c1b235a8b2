#include "reports/Colorgramme.h"

#include "shared/DateTime.h"
#include "shared/NumberFormat.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

struct UtHour {
    int year, month, day, hour;
};

int digitsAt(const std::string& key, std::size_t from, std::size_t count) {
    int v = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (i >= key.size() || key[i] < '0' || key[i] > '9') {
            throw DateConvertError("'" + key + "' is not a valid hour key");
        }
        v = v * 10 + (key[i] - '0');
    }
    return v;
}

// The row's hour moved by RTZ hours through the same key text as the RMOB
// tables use, so both place every row on the same UT day and hour.
// Nothing for an hour shifted past the year 9999: no month can be named for it.
std::optional<UtHour> utHourOf(const HourRow& row, std::int32_t rtz) {
    const std::string key = shiftHourKey(row.time, rtz);
    if (key.size() != 10) {
        return std::nullopt;
    }
    return UtHour{digitsAt(key, 0, 4), digitsAt(key, 4, 2), digitsAt(key, 6, 2),
                  digitsAt(key, 8, 2)};
}

// A month with every existing cell labelled by its local hour, so hovering an
// hour without data still tells the observer which local hour it was.
ColorgrammeMonth emptyMonth(int year, int month, std::int32_t rtz) {
    using namespace std::chrono;
    ColorgrammeMonth m;
    m.year = year;
    m.month = month;
    const year_month_day_last last{std::chrono::year{year} /
                                   std::chrono::month{static_cast<unsigned>(month)} /
                                   std::chrono::last};
    m.daysInMonth = static_cast<int>(static_cast<unsigned>(last.day()));
    for (int d = 1; d <= m.daysInMonth; ++d) {
        for (int h = 0; h < kColorgrammeHours; ++h) {
            // Keys exist for years 1 to 9999; an hour shifted beyond them keeps
            // an empty key.
            if (auto ut = tryEncodeDateTime(year, month, d, h, 0, 0)) {
                m.cells[static_cast<std::size_t>(d - 1)][static_cast<std::size_t>(h)].localKey =
                    hourKeyOf(*ut - static_cast<double>(rtz) / 24.0);
            }
        }
    }
    return m;
}

void summarise(ColorgrammeMonth& m) {
    m.maximum = 0;
    for (std::size_t d = 0; d < m.cells.size(); ++d) {
        std::int64_t total = 0;
        for (const ColorgrammeCell& c : m.cells[d]) {
            if (c.state == CellState::Observed) {
                total += c.value;
                m.maximum = std::max(m.maximum, c.value);
            }
        }
        m.dailyTotals[d] = total;
    }
}

} // namespace

const ColorgrammeCell& ColorgrammeMonth::cell(int day, int hour) const {
    if (day < 1 || day > kColorgrammeDays || hour < 0 || hour >= kColorgrammeHours) {
        throw std::out_of_range("colorgramme cell outside the grid");
    }
    return cells[static_cast<std::size_t>(day - 1)][static_cast<std::size_t>(hour)];
}

std::vector<ColorgrammeMonth> buildColorgrammes(HourTable& data, const Settings& cnf) {
    data.computeRates(cnf.noiseMinutes);
    std::map<int, ColorgrammeMonth> months;
    // Rows come in time order, so the month of the previous row is nearly
    // always the right one and the map is searched once per month.
    int currentKey = -1;
    ColorgrammeMonth* current = nullptr;
    for (data.cursor = data.top.get(); data.cursor && data.cursor->next;
         data.cursor = data.cursor->next.get()) {
        const HourRow& row = *data.cursor;
        const std::optional<UtHour> shifted = utHourOf(row, cnf.utOffsetHours);
        if (!shifted || shifted->year < 1) {
            continue;
        }
        const UtHour& ut = *shifted;
        const int key = ut.year * 12 + (ut.month - 1);
        if (key != currentKey || !current) {
            auto found = months.find(key);
            if (found == months.end()) {
                found = months.emplace(key, emptyMonth(ut.year, ut.month, cnf.utOffsetHours)).first;
            }
            current = &found->second;
            currentKey = key;
        }
        // Hours made of gap slots only leave their cell as it is, as in the
        // table; the month and day still count as touched.
        if (row.remark == "NoObserve" && row.observedMinutes == 0) {
            continue;
        }
        ColorgrammeCell& cell =
            current->cells[static_cast<std::size_t>(ut.day - 1)][static_cast<std::size_t>(ut.hour)];
        cell.state = row.aboveNoise ? CellState::Observed : CellState::Noise;
        cell.value = row.aboveNoise ? roundHalfAway(row.echoRate()) : 0;
        cell.localKey = row.time;
        cell.observedMinutes = row.observedMinutes;
        cell.remark = row.remark;
    }
    std::vector<ColorgrammeMonth> out;
    out.reserve(months.size());
    for (auto& [key, month] : months) {
        summarise(month);
        out.push_back(std::move(month));
    }
    return out;
}
