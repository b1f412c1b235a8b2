#pragma once
// Helpers of the tests of the data layer and what is built on it: times from
// text, a capture of the messages the reader shows, and the slots a data text
// settles into.

#include "data/DataFileReader.h"
#include "data/TenMinuteRow.h"
#include "shared/Messages.h"
#include "shared/Time.h"

#include <string>
#include <string_view>
#include <vector>

// A time written as a data line writes it; the test's own text must be valid.
inline Timestamp timeOf(std::string_view text) {
    return parseTimestamp(text).value();
}

// Collects the messages of the calls it is handed to as their callback.
class MessageCapture {
public:
    std::vector<std::string> texts;

    MessageCallback callback() {
        return [this](const std::string& text) { texts.push_back(text); };
    }
};

// What a data text settles into: each slot as its line of the ten-minute
// table, and what the reading found besides.
struct Settled {
    std::vector<std::string> rows;
    DataFileReading reading;
};

inline Settled settle(std::string_view text, const MessageCallback& onMessage = {}) {
    Settled settled;
    DataFileHandlers handlers;
    handlers.onRow = [&settled](const TenMinuteRow& row) {
        settled.rows.push_back(tenMinuteLine(row));
    };
    handlers.onMessage = onMessage ? onMessage : [](const std::string&) {};
    settled.reading = readDataText(text, handlers);
    return settled;
}

// The lines joined into a data text, each ended by CR LF.
inline std::string dataText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}
