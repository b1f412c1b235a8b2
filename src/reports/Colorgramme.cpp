#include "reports/Colorgramme.h"

#include "shared/NumberFormat.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

namespace {

// A month with every existing cell labelled by its local hour, so hovering an
// hour without data still tells the observer which local hour it was.
ColorgrammeMonth emptyMonth(const CalendarHour& ut, std::int32_t utOffsetHours) {
    using namespace std::chrono;
    ColorgrammeMonth m;
    m.year = static_cast<int>(ut.year);
    m.month = ut.month;
    const year_month first{year{m.year}, month{static_cast<unsigned>(m.month)}};
    m.daysInMonth =
        static_cast<int>(static_cast<unsigned>(year_month_day_last{first / last}.day()));
    const Hour firstHour{floor<hours>(sys_days{first / 1})};
    for (int d = 0; d < m.daysInMonth; ++d) {
        for (int h = 0; h < kColorgrammeHours; ++h) {
            m.cells[static_cast<std::size_t>(d)][static_cast<std::size_t>(h)].localHour =
                firstHour + hours{d * 24 + h - utOffsetHours};
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

namespace {

bool sameMonth(const ColorgrammeMonth& m, const CalendarHour& ut) {
    return m.year == static_cast<int>(ut.year) && m.month == ut.month;
}

// Adds the hours from `from` on to the months, each new month after the last.
void addHours(const UtHourList& hours, std::size_t from, std::vector<ColorgrammeMonth>& months) {
    // The hours come in UT order, so each month is built in one stretch.
    const std::vector<UtHour>& list = hours.hours();
    for (std::size_t i = from; i < list.size(); ++i) {
        const UtHour& hour = list[i];
        const std::optional<CalendarHour> ut = hour.utCalendar();
        if (!ut) {
            continue;
        }
        if (months.empty() || !sameMonth(months.back(), *ut)) {
            months.push_back(emptyMonth(*ut, hours.utOffsetHours()));
        }
        // Hours made of gap slots only leave their cell as it is, as in the
        // table; the month still counts as touched.
        if (hour.state == HourState::Gap) {
            continue;
        }
        const bool observed = hour.state == HourState::Observed;
        ColorgrammeCell& cell =
            months.back()
                .cells[static_cast<std::size_t>(ut->day - 1)][static_cast<std::size_t>(ut->hour)];
        cell.state = observed ? CellState::Observed : CellState::Noise;
        cell.value = observed ? roundHalfAway(hour.rate()) : 0;
        cell.localHour = hour.local();
        cell.observedMinutes = hour.row->observedMinutes;
        cell.remark = hour.row->remark;
    }
}

} // namespace

std::vector<ColorgrammeMonth> buildColorgrammes(const UtHourList& hours) {
    std::vector<ColorgrammeMonth> months;
    addHours(hours, 0, months);
    for (ColorgrammeMonth& month : months) {
        summarise(month);
    }
    return months;
}

std::size_t updateColorgrammes(std::vector<ColorgrammeMonth>& months, const UtHourList& hours,
                               std::size_t fromHour) {
    // The months before the one made again hold only unchanged hours, as the
    // hours come in UT order.
    const std::size_t start = utMonthStart(hours, fromHour);
    const std::vector<UtHour>& list = hours.hours();
    const std::optional<CalendarHour> first =
        start < list.size() ? list[start].utCalendar() : std::nullopt;
    std::size_t kept = 0;
    while (first && kept < months.size() &&
           std::pair{months[kept].year, months[kept].month} <
               std::pair{static_cast<int>(first->year), first->month}) {
        ++kept;
    }
    months.resize(kept);
    addHours(hours, start, months);
    for (std::size_t m = kept; m < months.size(); ++m) {
        summarise(months[m]);
    }
    return kept;
}
