#pragma once
// Observation rows and the data-file reader, slot normalisation with rates,
// and the ten-minute table.
//
// TCSVDataList holds two lists in the program's list convention (each ends in
// one empty end node; a node is real exactly while its Next is set): the rows,
// and the lines set aside (unreadable, implausible, or unplaceable in time).
// The end node of the row list doubles as the parse buffer. Every pass is
// linear in the number of lines; long chains are released iteratively.

#include "shared/RowText.h"
#include "shared/UFunction.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

// The texts of rows read from a file borrow the list's copy of the file; the
// list keeps it until it is cleared.
struct TCSVDataRecord {
    TRowText FileName;  // first column; "NoFile" in a gap row; "a&b" after a merge
    TDateTime Time = 0; // start of the ten-minute slot
    // Counts are 64-bit so that merged sums never overflow; the reader only
    // accepts values of 0 to 2^31-1.
    std::int64_t Echo = 0;
    double RateEcho = 0;
    double ErrEcho = 0;
    std::int64_t LongEcho = 0;
    double RateLongEcho = 0;
    double ErrLongEcho = 0;
    std::int64_t OtherData = 0;
    double RateOtherData = 0;
    double ErrOtherData = 0;
    std::int64_t ObsTime = 0; // minutes observed; 10 for a full slot, 0 in a gap row
    TRowText Remark;          // the rest of the line after ObsTime's comma, unchanged
    std::string_view Line;    // the data line as read (owned by the list); empty in gap rows
    std::unique_ptr<TCSVDataRecord> Next;

    // Nodes come from a pool (shared/NodePool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
};

struct TNoTimeDataRecord {
    std::string Line; // the data line exactly as read
    std::unique_ptr<TNoTimeDataRecord> Next;
};

class TCSVDataList {
public:
    TCSVDataList() = default;
    ~TCSVDataList();
    TCSVDataList(const TCSVDataList&) = delete;
    TCSVDataList& operator=(const TCSVDataList&) = delete;

    std::unique_ptr<TCSVDataRecord> Top; // first node of the row list
    TCSVDataRecord* Cur = nullptr;       // row cursor, moved by every walk
    TCSVDataRecord* Last = nullptr;      // the empty end node; the next line is parsed into it
    TNoTimeDataRecord* NoTimeCur = nullptr;
    std::unique_ptr<TNoTimeDataRecord> NoTimeTop;

    void Init();
    void Clear();
    // Reads a data file: nothing happens when no such file exists; IoError when
    // it cannot be read (lists unchanged).
    void LoadFile(const std::string& name);
    // The same over bytes already read (the pipeline reads the file once).
    void LoadText(std::string text);
    // Parses, checks and stores one line.
    void AddLine(std::string_view line);
    // Gap rows, merged duplicates, rates; rows that cannot be placed in time
    // are moved to the rejected lines.
    void Normalize();
    // Writes the ten-minute table; IoError on failure.
    void SaveReport10(const std::string& name, bool formatLine);

private:
    // AddLine's work on a line that already lies in Texts (LoadText's lines).
    void handleLine(std::string_view keptLine);
    void appendRejected(std::string_view line);
    std::string_view keep(std::string text);

    TNoTimeDataRecord* NoTimeLast = nullptr; // end node of the rejected lines
    std::deque<std::string> Texts;           // the bytes that rows' Line fields point into
};

extern TCSVDataList CSVData;

// One row as a line of the ten-minute table, without line end.
std::string CSVRecordToStr(const TCSVDataRecord& row);
void AppendCSVRecord(std::string& out, const TCSVDataRecord& row);

inline constexpr const char* kReport10FormatLine =
    "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
    "Err(Echo),Err(LongEcho),Err(OtherData)";
