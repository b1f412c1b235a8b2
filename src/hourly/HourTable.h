#pragma once
// Hour rows folded from the ten-minute rows, their rates and flags, and the
// hourly table. The list follows the program's list convention; an index from
// hour key to row keeps folding constant-time per row.

#include "data/TenMinuteTable.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

struct HourRow {
    std::string time; // hour key "yyyymmddhh", local time
    // Sums of the ten-minute counts: 64-bit, since a merged slot may already
    // exceed 32 bits. Rates and errors are worked out from them when needed.
    std::int64_t echo = 0;
    std::int64_t longEcho = 0;
    std::int64_t otherData = 0;
    std::int64_t observedMinutes = 0;
    bool aboveNoise = false; // ObsTime > noise threshold, set by computeRates
    std::string remark;      // distinct remarks of the hour, in the order met
    std::unique_ptr<HourRow> next;

    bool underHour() const { return observedMinutes < 60; }
    double echoRate() const; // echoes per hour; 0 without observed minutes

    // Nodes come from a pool (shared/NodePool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
};

class HourTable {
public:
    HourTable() = default;
    ~HourTable();
    HourTable(const HourTable&) = delete;
    HourTable& operator=(const HourTable&) = delete;

    std::unique_ptr<HourRow> top;
    HourRow* cursor = nullptr;

    void init();
    void clear();
    void swap(HourTable& other) noexcept; // the whole content
    void addRow(const TenMinuteRow& row);
    // Sets every row's aboveNoise for the noise threshold (minutes).
    void computeRates(std::int64_t threshold);
    // Writes the hourly table; IoError on failure. onProgress is called every
    // few thousand rows (a decade has eighty thousand).
    void writeFile(const std::string& name, bool formatLine,
                   const std::function<void()>& onProgress = {});

private:
    void buildIndex();

    HourRow* endNode = nullptr;
    // The hour row of the last fold, by its hour count since day 0: the rows
    // of one hour mostly come together.
    HourRow* lastHourRow = nullptr;
    std::int64_t lastHour = 0;
    // While the hours come in ascending order (as normalised rows do) a later
    // hour is always a new one and no index is needed. The first hour out of
    // that order builds the index, which then serves every fold until clear.
    bool ascending = true;
    // Hour keys as the number yyyymmddhh: equal exactly when the texts are.
    std::unordered_map<std::int64_t, HourRow*> index;
};

std::string hourRowText(const HourRow& row);

inline constexpr const char* kHourHeaderLine =
    "#Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),Err(Echo),"
    "Err(LongEcho),Err(OtherData)";
