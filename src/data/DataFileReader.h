#pragma once
// Reads a data file: every line is read into a row or set aside, the rows are
// put in their slots (SlotSettler) and handed on one by one. Nothing of the
// rows is kept here: the caller folds or writes each as it comes, so a decade
// of data costs the memory of what the caller keeps.
//
// A Ctrl-Z (code 26) ends the data: what stands before it on its line is still
// read, nothing after it. The lines after it still count as lines of the file.

#include "data/SlotSettler.h"
#include "shared/Messages.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LineReader;

// Where a Ctrl-Z ended the data.
struct EndMark {
    std::size_t line = 0;   // the number of its line, 1 for the first
    std::uint64_t byte = 0; // its offset in the file, 0 for the first byte
};

// What reading a data file found besides its rows.
struct DataFileReading {
    // Unreadable and implausible lines in file order, then the rows that the
    // slots could not reach, each as its line was read.
    std::vector<std::string> rejectedLines;
    std::size_t lineCount = 0;      // every line of the file, blank and rejected ones included
    std::string firstLine;          // the file's first line; empty when it has none
    std::string lastLine;           // the last line read as data; empty when none
    std::optional<EndMark> endMark; // a Ctrl-Z ended the data
};

struct DataFileHandlers {
    SlotSettler::Sink onRow;           // each slot, gap rows included, in time order
    MessageCallback onMessage;         // implausible lines; none: standard error
    LineMessageCallback onLineMessage; // the same with the line's number, instead when set
    // Called every few thousand lines with the share of the file read (0 to
    // 1); it may throw to stop the reading.
    std::function<void(double share)> onProgress;
};

DataFileReading readDataFile(LineReader& lines, const DataFileHandlers& handlers);

// The same a line at a time, for a file that grows: what was found so far
// can be looked at between lines.
class DataFileReader {
public:
    DataFileReader(SlotSettler::Sink onRow, MessageCallback onMessage,
                   LineMessageCallback onLineMessage = {})
        : settler_(std::move(onRow)), onMessage_(std::move(onMessage)),
          onLineMessage_(std::move(onLineMessage)) {}

    // One line without its line end; offset: where it starts in the file.
    void read(std::string_view line, std::uint64_t offset);
    // What was found so far. Its rejected lines are the unreadable and
    // implausible ones only: the rows set aside are the settler's until
    // finish().
    const DataFileReading& reading() const { return reading_; }
    const SlotSettler& settler() const { return settler_; }
    // Lines read as rows so far, set aside or not.
    std::size_t rowLines() const { return rowLines_; }
    // Hands on the last slot and adds the rows set aside to the rejected
    // lines. Call once, after the last line.
    DataFileReading finish();

private:
    SlotSettler settler_;
    MessageCallback onMessage_;
    LineMessageCallback onLineMessage_;
    DataFileReading reading_;
    std::size_t rowLines_ = 0;
};
// The same over a text in memory.
DataFileReading readDataText(std::string_view text, const DataFileHandlers& handlers);
