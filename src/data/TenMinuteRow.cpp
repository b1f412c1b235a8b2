#include "data/TenMinuteRow.h"

#include "shared/NumberFormat.h"

#include <array>
#include <cmath>

namespace {

// The rates and errors per ten observed minutes, in the order written: the
// three rates, then the three errors.
std::array<double, 6> ratesOf(const TenMinuteRow& row) {
    if (row.observedMinutes == 0) {
        return {};
    }
    const double k = 10.0 / static_cast<double>(row.observedMinutes);
    const auto echo = static_cast<double>(row.echo);
    const auto longEcho = static_cast<double>(row.longEcho);
    const auto otherData = static_cast<double>(row.otherData);
    return {echo * k,
            longEcho * k,
            otherData * k,
            std::sqrt(echo) * k,
            std::sqrt(longEcho) * k,
            std::sqrt(otherData) * k};
}

} // namespace

TenMinuteRow gapRow(Timestamp time) {
    TenMinuteRow row;
    row.fileName = kGapFileName;
    row.time = time;
    row.remark = kGapRemark;
    return row;
}

void TenMinuteLineWriter::append(std::string& out, const TenMinuteRow& row) {
    const auto day = std::chrono::floor<std::chrono::days>(row.time);
    if (dayText_.empty() || day != day_) {
        day_ = day;
        dayText_ = reportTimeText(row.time).substr(0, 11);
    }
    out += row.fileName;
    out += ',';
    out += dayText_;
    const std::chrono::hh_mm_ss<std::chrono::seconds> clock{row.time - day};
    appendTwoDigits(out, static_cast<int>(clock.hours().count()));
    out += ':';
    appendTwoDigits(out, static_cast<int>(clock.minutes().count()));
    appendCountsAndRates(out, {row.echo, row.longEcho, row.otherData, row.observedMinutes},
                         ratesOf(row));
    out += ',';
    out += row.remark;
}

void appendTenMinuteLine(std::string& out, const TenMinuteRow& row) {
    TenMinuteLineWriter().append(out, row);
}

std::string tenMinuteLine(const TenMinuteRow& row) {
    std::string out;
    appendTenMinuteLine(out, row);
    return out;
}

std::string withTenMinuteHeader(std::string_view table, bool headerLine) {
    const std::string header = std::string(kTenMinuteHeaderLine) + "\r\n";
    const bool hasHeader = table.starts_with(header);
    if (hasHeader) {
        table.remove_prefix(header.size());
    }
    std::string out;
    out.reserve(header.size() + table.size());
    if (headerLine) {
        out += header;
    }
    out += table;
    return out;
}
