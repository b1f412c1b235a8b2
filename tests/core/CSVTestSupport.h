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
