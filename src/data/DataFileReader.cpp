#include "data/DataFileReader.h"

#include "data/DataLine.h"
#include "shared/LineReader.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace {

constexpr std::size_t kLinesPerProgress = 4096;

// One line of the data: a row for the settler, a rejected line, or nothing.
void handleLine(std::string_view line, SlotSettler& settler, DataFileReading& reading,
                const MessageCallback& onMessage) {
    TenMinuteRow row;
    LineVerdict verdict = LineVerdict::Empty;
    try {
        verdict = readDataLine(line, row);
        // The message first: a line whose message fails is dropped, not listed.
        if (verdict == LineVerdict::Implausible) {
            deliverMessage(onMessage, implausibleLineMessage(line));
        }
        if (verdict == LineVerdict::Unreadable || verdict == LineVerdict::Implausible) {
            reading.rejectedLines.emplace_back(line);
        }
    } catch (const std::exception&) {
        // Out of memory for this one line: it is dropped, the reading goes on.
        deliverMessage(onMessage, unexpectedErrorMessage());
        return;
    }
    if (verdict == LineVerdict::Row) {
        settler.add(row, line);
    }
}

} // namespace

DataFileReading readDataFile(LineReader& lines, const DataFileHandlers& handlers) {
    DataFileReading reading;
    SlotSettler settler(handlers.onRow);
    std::size_t untilProgress = kLinesPerProgress;
    while (const std::optional<std::string_view> next = lines.next()) {
        std::string_view line = *next;
        if (++reading.lineCount == 1) {
            reading.firstLine.assign(line);
        }
        if (reading.endMark) {
            continue;
        }
        if (const std::size_t mark = line.find('\x1A'); mark != std::string_view::npos) {
            reading.endMark = EndMark{reading.lineCount, lines.lastLineOffset() + mark};
            line = line.substr(0, mark);
        }
        // The text before an end mark is still read, when there is any.
        if (!line.empty() || !reading.endMark) {
            reading.lastLine.assign(line);
        }
        handleLine(line, settler, reading, handlers.onMessage);
        if (--untilProgress == 0) {
            untilProgress = kLinesPerProgress;
            if (handlers.onProgress && lines.expectedSize() > 0) {
                handlers.onProgress(std::min(1.0, static_cast<double>(lines.bytesDone()) /
                                                      static_cast<double>(lines.expectedSize())));
            }
        }
    }
    settler.finish();
    for (std::string& line : settler.takeSetAside()) {
        reading.rejectedLines.push_back(std::move(line));
    }
    return reading;
}

DataFileReading readDataText(std::string_view text, const DataFileHandlers& handlers) {
    LineReader lines(TextInMemory{text});
    return readDataFile(lines, handlers);
}
