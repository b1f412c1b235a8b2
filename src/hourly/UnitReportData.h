#pragma once
// Hour rows folded from the ten-minute rows, their rates and flags, and the
// hourly table. The list follows the program's list convention; an index from
// hour key to row keeps folding constant-time per row.

#include "data/UnitCSV.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

struct TReportDataRecord {
    std::string Time; // hour key "yyyymmddhh", local time
    std::int64_t Echo = 0;
    double RateEcho = 0;
    double ErrEcho = 0;
    std::int64_t LongEcho = 0;
    double RateLongEcho = 0;
    double ErrLongEcho = 0;
    std::int64_t OtherData = 0;
    double RateOtherData = 0;
    double ErrOtherData = 0;
    std::int64_t ObsTime = 0;
    bool UnderHour = false;  // ObsTime < 60
    bool AboveNoise = false; // ObsTime > noise threshold
    std::string Remark;      // distinct remarks of the hour, in the order met
    std::unique_ptr<TReportDataRecord> Next;

    // Nodes come from a pool (shared/NodePool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
};

class TReportDataList {
public:
    TReportDataList() = default;
    ~TReportDataList();
    TReportDataList(const TReportDataList&) = delete;
    TReportDataList& operator=(const TReportDataList&) = delete;

    std::unique_ptr<TReportDataRecord> Top;
    TReportDataRecord* Cur = nullptr;

    void Init();
    void Clear();
    void AddRecord(const TCSVDataRecord& row);
    void CalcRate(std::int64_t threshold);
    // Writes the hourly table; IoError on failure.
    void SaveReport60(const std::string& name, bool formatLine);

private:
    void buildIndex();

    TReportDataRecord* Last = nullptr;
    // The hour row of the last fold, by its hour count since day 0: the rows
    // of one hour mostly come together.
    TReportDataRecord* LastHourRow = nullptr;
    std::int64_t LastHour = 0;
    // While the hours come in ascending order (as normalised rows do) a later
    // hour is always a new one and no index is needed. The first hour out of
    // that order builds the index, which then serves every fold until Clear.
    bool Ascending = true;
    // Hour keys as the number yyyymmddhh: equal exactly when the texts are.
    std::unordered_map<std::int64_t, TReportDataRecord*> Index;
};

extern TReportDataList ReportData;

std::string ReportRecordToStr(const TReportDataRecord& row);

inline constexpr const char* kReport60FormatLine =
    "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),Err(Echo),"
    "Err(LongEcho),Err(OtherData)";
