#pragma once
// The station's hours as every report reads them: each hour row with its UT
// hour and its state. The three rules that every report shares live here
// only:
// - the UT shift: the UT hour is the data file's hour plus the stored time
//   zone's hours (RTZ, -9 for a station on UT+9);
// - the gap rule: an hour made only of gap slots (remark exactly "NoObserve"
//   and no observed minute) was not observed at all; the tables pass over it;
// - the noise rule: an hour observed for more minutes than the noise
//   threshold is observed; one of that many minutes or fewer is noise.
//
// The list shares the hour table it reads, which no one changes any more.
// It is built once per run and again (withRules) when the time zone or the
// noise threshold changes. A file that grows changes only its last hours:
// withTail gives the list with those, in place when no other list shares
// the table.

#include "hourly/HourTable.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

enum class HourState : std::uint8_t {
    Observed,   // more observed minutes than the noise threshold
    BelowNoise, // observed for the threshold's minutes or fewer
    Gap,        // only gap slots: not observed at all
};

struct UtHour {
    const HourRow* row = nullptr; // the data file's hour, its sums and remark
    Hour ut{};
    HourState state = HourState::Gap;

    Hour local() const { return row->hour; }
    // Echoes per hour; 0 without observed minutes.
    double rate() const { return row->echoRate(); }
    // The UT hour's calendar fields, when its year has four digits (the
    // monthly files, the colorgramme and the showers name months by it).
    std::optional<CalendarHour> utCalendar() const;
};

class UtHourList {
public:
    UtHourList(); // no hours
    UtHourList(std::shared_ptr<const HourTable> table, std::int32_t utOffsetHours,
               std::int32_t noiseMinutes);
    // The same hours under another time zone and noise threshold.
    UtHourList withRules(std::int32_t utOffsetHours, std::int32_t noiseMinutes) const {
        return UtHourList(table_, utOffsetHours, noiseMinutes);
    }

    // The same list with the hour rows from `keep` on replaced by these. The
    // hours before keep are not built again; their rows are not copied when
    // this list made its table itself (an earlier withTail) and no other
    // list shares it.
    UtHourList withTail(std::size_t keep, std::span<const HourRow> rows) &&;

    // One entry per hour row, in the rows' order, which is also UT order.
    const std::vector<UtHour>& hours() const { return hours_; }
    bool empty() const { return hours_.empty(); }
    const HourTable& table() const { return *table_; }
    std::int32_t utOffsetHours() const { return utOffsetHours_; }
    std::int32_t noiseMinutes() const { return noiseMinutes_; }

private:
    // Entries for the rows from `from` on.
    void buildFrom(std::size_t from);

    std::shared_ptr<const HourTable> table_;
    // The table, when this list made it and may change it while it is not shared.
    std::shared_ptr<HourTable> ownTable_;
    std::vector<UtHour> hours_;
    std::int32_t utOffsetHours_ = 0;
    std::int32_t noiseMinutes_ = 0;
};

// Where views by UT month of a list whose hours from `index` on changed are
// made again: the first hour of the UT month of the last hour before index
// that has one (a four-digit year); 0 when none has.
std::size_t utMonthStart(const UtHourList& hours, std::size_t index);

// The gap rule and the noise rule for one hour row.
HourState hourState(const HourRow& row, std::int32_t noiseMinutes);
