#pragma once
// One ten-minute slot of a station's data and its line in the ten-minute
// table (report10.csv).
//
// A row is a value whose two texts are views: rows come from the reader and
// the slot settler one at a time, and whoever keeps one copies what it needs.
// Rates and errors are not stored; the table line works them out.

#include "shared/Time.h"

#include <cstdint>
#include <string>
#include <string_view>

// The marks of a gap row, the slot of a missing line. Later steps know a gap
// row by its file name alone.
inline constexpr std::string_view kGapFileName = "NoFile";
inline constexpr std::string_view kGapRemark = "NoObserve";

struct TenMinuteRow {
    std::string_view fileName; // first column; "NoFile" in a gap row; "a&b" after a merge
    Timestamp time{};          // start of the slot
    // 64-bit, so that merged sums never overflow; the reader accepts 0 to 2^31-1.
    std::int64_t echo = 0;
    std::int64_t longEcho = 0;
    std::int64_t otherData = 0;
    std::int64_t observedMinutes = 0; // 10 for a full slot, 0 in a gap row
    std::string_view remark;          // the rest of the line after ObsTime's comma, unchanged

    bool isGap() const { return fileName == kGapFileName; }
};

// A gap row for the slot starting at time.
TenMinuteRow gapRow(Timestamp time);

// The row as a line of the ten-minute table, without line end: thirteen
// fields, the rates and errors per ten observed minutes with two decimals.
void appendTenMinuteLine(std::string& out, const TenMinuteRow& row);
std::string tenMinuteLine(const TenMinuteRow& row);

// The same for many rows in time order: the text of a date is made once a
// day, not once a line (18 % fewer instructions in a run).
class TenMinuteLineWriter {
public:
    void append(std::string& out, const TenMinuteRow& row);

private:
    std::chrono::sys_days day_{};
    std::string dayText_; // "yyyy/mm/dd " of day_; empty before the first row
};

inline constexpr std::string_view kTenMinuteHeaderLine =
    "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
    "Err(Echo),Err(LongEcho),Err(OtherData)";

// A table text (lines ended by CR LF) with its header line as asked: added
// or dropped at the front, the rest untouched.
std::string withTenMinuteHeader(std::string_view table, bool headerLine);
