#pragma once
// Views of a TenMinuteTable for the observation-data tests, and a capture of the
// messages that the reader shows.

#include "data/TenMinuteTable.h"
#include "shared/Messages.h"

#include <string>
#include <vector>

// Collects the messages of the calls it is handed to as their callback.
class MessageCapture {
public:
    std::vector<std::string> texts;

    MessageCallback callback() {
        return [this](const std::string& text) { texts.push_back(text); };
    }
};

inline std::vector<const TenMinuteRow*> rowsOf(const TenMinuteTable& list) {
    std::vector<const TenMinuteRow*> rows;
    for (const TenMinuteRow* r = list.top.get(); r && r->next; r = r->next.get()) {
        rows.push_back(r);
    }
    return rows;
}

// The rows as lines of the ten-minute table.
inline std::vector<std::string> tableOf(const TenMinuteTable& list) {
    std::vector<std::string> lines;
    for (const TenMinuteRow* r : rowsOf(list)) {
        lines.push_back(tenMinuteRowText(*r));
    }
    return lines;
}

inline std::vector<std::string> rejectedOf(const TenMinuteTable& list) {
    std::vector<std::string> lines;
    for (const RejectedLine* r = list.rejectedTop.get(); r && r->next; r = r->next.get()) {
        lines.push_back(r->line);
    }
    return lines;
}

// A ten-minute row as normalisation leaves it, for the tests of everything
// built on the rows (hours, reports, pictures, monthly files).
inline TenMinuteRow slot(const std::string& time, std::int64_t echo, std::int64_t longEcho,
                         std::int64_t other, std::int64_t obs, std::string remark = "") {
    TenMinuteRow r;
    r.time = parseDateTime(time);
    r.echo = echo;
    r.longEcho = longEcho;
    r.otherData = other;
    r.observedMinutes = obs;
    r.remark = std::move(remark);
    return r;
}

// A gap row of the slot.
inline TenMinuteRow gapSlot(const std::string& time) {
    TenMinuteRow r = slot(time, 0, 0, 0, 0, "NoObserve");
    r.fileName = "NoFile";
    return r;
}
