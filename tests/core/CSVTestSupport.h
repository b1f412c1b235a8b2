#pragma once
// Views of a TCSVDataList for the observation-data tests, and a capture of the
// messages that the reader shows.

#include "data/UnitCSV.h"
#include "shared/Messages.h"

#include <string>
#include <vector>

// Collects every shown message while alive; restores the previous handler after.
class MessageCapture {
public:
    MessageCapture()
        : previous_(SetMessageHandler([this](const std::string& text) { texts.push_back(text); })) {
    }
    ~MessageCapture() { SetMessageHandler(std::move(previous_)); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::string> texts;

private:
    MessageHandler previous_;
};

inline std::vector<const TCSVDataRecord*> rowsOf(const TCSVDataList& list) {
    std::vector<const TCSVDataRecord*> rows;
    for (const TCSVDataRecord* r = list.Top.get(); r && r->Next; r = r->Next.get()) {
        rows.push_back(r);
    }
    return rows;
}

// The rows as lines of the ten-minute table.
inline std::vector<std::string> tableOf(const TCSVDataList& list) {
    std::vector<std::string> lines;
    for (const TCSVDataRecord* r : rowsOf(list)) {
        lines.push_back(CSVRecordToStr(*r));
    }
    return lines;
}

inline std::vector<std::string> rejectedOf(const TCSVDataList& list) {
    std::vector<std::string> lines;
    for (const TNoTimeDataRecord* r = list.NoTimeTop.get(); r && r->Next; r = r->Next.get()) {
        lines.push_back(r->Line);
    }
    return lines;
}

// A ten-minute row as normalisation leaves it, for the tests of everything
// built on the rows (hours, reports, pictures, monthly files).
inline TCSVDataRecord slot(const std::string& time, std::int64_t echo, std::int64_t longEcho,
                           std::int64_t other, std::int64_t obs, std::string remark = "") {
    TCSVDataRecord r;
    r.Time = StrToDateTime(time);
    r.Echo = echo;
    r.LongEcho = longEcho;
    r.OtherData = other;
    r.ObsTime = obs;
    r.Remark = std::move(remark);
    return r;
}

// A gap row of the slot.
inline TCSVDataRecord gapSlot(const std::string& time) {
    TCSVDataRecord r = slot(time, 0, 0, 0, 0, "NoObserve");
    r.FileName = "NoFile";
    return r;
}
