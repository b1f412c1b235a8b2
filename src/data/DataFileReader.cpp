#include "data/DataFileReader.h"

#include "data/DataLine.h"
#include "shared/LineReader.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace {

constexpr std::size_t kLinesPerProgress = 4096;

// One line of the data: a row for the settler, a rejected line, or nothing.
// True for a row.
bool handleLine(std::string_view line, SlotSettler& settler, DataFileReading& reading,
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
        return false;
    }
    if (verdict != LineVerdict::Row) {
        return false;
    }
    settler.add(row, line);
    return true;
}

} // namespace

void DataFileReader::read(std::string_view line, std::uint64_t offset) {
    if (++reading_.lineCount == 1) {
        reading_.firstLine.assign(line);
    }
    if (reading_.endMark) {
        return;
    }
    if (const std::size_t mark = line.find('\x1A'); mark != std::string_view::npos) {
        reading_.endMark = EndMark{reading_.lineCount, offset + mark};
        line = line.substr(0, mark);
    }
    // The text before an end mark is still read, when there is any.
    if (!line.empty() || !reading_.endMark) {
        reading_.lastLine.assign(line);
    }
    const auto tell = [this](const std::string& text) {
        if (onLineMessage_) {
            onLineMessage_(text, reading_.lineCount);
        } else {
            deliverMessage(onMessage_, text);
        }
    };
    if (handleLine(line, settler_, reading_, tell)) {
        ++rowLines_;
    }
}

DataFileReading DataFileReader::finish() {
    settler_.finish();
    for (std::string& line : settler_.takeSetAside()) {
        reading_.rejectedLines.push_back(std::move(line));
    }
    return std::move(reading_);
}

DataFileReading readDataFile(LineReader& lines, const DataFileHandlers& handlers) {
    DataFileReader reader(handlers.onRow, handlers.onMessage, handlers.onLineMessage);
    std::size_t untilProgress = kLinesPerProgress;
    while (const std::optional<std::string_view> line = lines.next()) {
        reader.read(*line, lines.lastLineOffset());
        if (--untilProgress == 0) {
            untilProgress = kLinesPerProgress;
            if (handlers.onProgress && lines.expectedSize() > 0) {
                handlers.onProgress(std::min(1.0, static_cast<double>(lines.bytesDone()) /
                                                      static_cast<double>(lines.expectedSize())));
            }
        }
    }
    return reader.finish();
}

DataFileReading readDataText(std::string_view text, const DataFileHandlers& handlers) {
    LineReader lines(TextInMemory{text});
    return readDataFile(lines, handlers);
}
