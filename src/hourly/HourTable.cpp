#include "hourly/HourTable.h"

#include "shared/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

void addInto(HourRow& into, const TenMinuteRow& row) {
    into.echo += row.echo;
    into.longEcho += row.longEcho;
    into.otherData += row.otherData;
    into.observedMinutes += row.observedMinutes;
    // An empty remark is found anywhere and adds nothing.
    if (into.remark.find(row.remark) == std::string::npos) {
        into.remark += row.remark;
    }
}

HourRow newHour(Hour hour, const TenMinuteRow& row) {
    return HourRow{
        hour, row.echo, row.longEcho, row.otherData, row.observedMinutes, std::string(row.remark)};
}

// The rates and errors per hour, in the order written: the three rates, then
// the three errors.
std::array<double, 6> ratesOf(const HourRow& r) {
    if (r.observedMinutes == 0) {
        return {};
    }
    const double f = 60.0 / static_cast<double>(r.observedMinutes);
    const auto root = [](std::int64_t v) {
        return v > 0 ? std::sqrt(static_cast<double>(v)) : 0.0;
    };
    return {static_cast<double>(r.echo) * f,
            static_cast<double>(r.longEcho) * f,
            static_cast<double>(r.otherData) * f,
            root(r.echo) * f,
            root(r.longEcho) * f,
            root(r.otherData) * f};
}

} // namespace

double HourRow::echoRate() const {
    if (observedMinutes == 0) {
        return 0;
    }
    return static_cast<double>(echo) * (60.0 / static_cast<double>(observedMinutes));
}

void HourTable::add(const TenMinuteRow& row) {
    const Hour hour = hourOf(row.time);
    if (rows_.empty() || rows_.back().hour < hour) {
        rows_.push_back(newHour(hour, row));
        return;
    }
    if (rows_.back().hour == hour) {
        addInto(rows_.back(), row);
        return;
    }
    // Settled slots never come back to an earlier hour; any other caller's
    // rows still find their hour.
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), hour,
                                     [](const HourRow& r, Hour h) { return r.hour < h; });
    if (at != rows_.end() && at->hour == hour) {
        addInto(*at, row);
    } else {
        rows_.insert(at, newHour(hour, row));
    }
}

void HourTable::replaceTail(std::size_t keep, std::span<const HourRow> rows) {
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(keep, rows_.size())),
                rows_.end());
    rows_.insert(rows_.end(), rows.begin(), rows.end());
}

std::string HourTable::text(bool headerLine) const {
    std::string out;
    // About 54 bytes an hour: one allocation for a decade's table.
    out.reserve(kHourHeaderLine.size() + 2 + rows_.size() * 64);
    if (headerLine) {
        out += kHourHeaderLine;
        out += "\r\n";
    }
    for (const HourRow& row : rows_) {
        appendHourLine(out, row);
        out += "\r\n";
    }
    return out;
}

void appendHourLine(std::string& out, const HourRow& row) {
    appendHourKey(out, row.hour);
    appendCountsAndRates(out, {row.echo, row.longEcho, row.otherData, row.observedMinutes},
                         ratesOf(row));
    out += ',';
    out += row.remark;
}

std::string hourLine(const HourRow& row) {
    std::string out;
    appendHourLine(out, row);
    return out;
}
