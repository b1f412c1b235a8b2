#pragma once
// The hour rows of a station: each clock hour of the data file's own clock
// with the sums of its ten-minute slots, and the hourly table (report60.csv).
//
// Rows are folded in as the slot settler hands them on, in time order; the
// table is kept in hour order, one row per hour. Rates and errors are worked
// out from the sums when they are written.

#include "data/TenMinuteRow.h"
#include "shared/Time.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct HourRow {
    Hour hour{}; // the hour the slots start in, in the data file's clock
    // Sums of the slots: 64-bit, since one merged slot may already exceed 32 bits.
    std::int64_t echo = 0;
    std::int64_t longEcho = 0;
    std::int64_t otherData = 0;
    std::int64_t observedMinutes = 0;
    std::string remark; // the distinct remarks of the hour, in the order met

    bool underHour() const { return observedMinutes < 60; }
    double echoRate() const; // echoes per hour; 0 without observed minutes
};

class HourTable {
public:
    // Folds a slot into its hour: counts and minutes are added, and the
    // slot's remark is appended unless the hour's remark holds it already.
    void add(const TenMinuteRow& row);

    // Room for this many hours, so that a long file's hours are not moved
    // as they come.
    void reserve(std::size_t hours) { rows_.reserve(hours); }
    // Keeps the first `keep` rows and puts these after them: the last hours of
    // a file that grows.
    void replaceTail(std::size_t keep, std::span<const HourRow> rows);

    const std::vector<HourRow>& rows() const { return rows_; }
    bool empty() const { return rows_.empty(); }
    std::size_t size() const { return rows_.size(); }

    // The hourly table: the header line when asked for, then one line per
    // hour, each ended by CR LF.
    std::string text(bool headerLine) const;

private:
    std::vector<HourRow> rows_;
};

// An hour as a line of the hourly table, without line end.
void appendHourLine(std::string& out, const HourRow& row);
std::string hourLine(const HourRow& row);

inline constexpr std::string_view kHourHeaderLine =
    "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),Err(Echo),"
    "Err(LongEcho),Err(OtherData)";
