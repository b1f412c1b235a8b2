#pragma once
// A run that follows its data file while the recorder appends to it. Each
// update reads only what was appended and brings every result up to date
// for the tail only; after it, every result equals runReport on the file's
// bytes up to the end of its last complete line (GrowingFile says when a
// line is complete). A file that shrank, was replaced or whose earlier bytes
// changed is read again from its start; a file that is gone keeps the last
// results until it comes back.
//
// How the tail is brought up to date: the slot settler hands on a slot only
// once no later row can change it, and a full read hands on the last one at
// its end. So the last slot (the pending one) is folded into the results
// provisionally at each update and taken out again at the next, before the
// new lines are read. Only the hour rows from the last settled hour on
// change; the hourly table, the text report, the RMOB tables and the
// colorgramme months are made again from there.
//
// The update says what changed in each result as splices (shared/Splice.h),
// so a view that holds a decade's 41 MB table takes an appended line without
// copying what it holds; the results are read through the accessors, valid
// until the next update. Not thread-safe: one thread at a time updates and
// reads. A window that updates on a worker copies the splices' new parts
// (and the hour rows from hours's splice, for UtHourList::withTail) before
// handing them on.

#include "pipeline/Run.h"
#include "reports/Colorgramme.h"
#include "shared/GrowingFile.h"
#include "shared/Splice.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct LiveRequest {
    std::string dataFile;
    Settings settings;
    // The outputs kept current (the hours and the summary always are).
    std::vector<Output> outputs{std::begin(kAllOutputs), std::end(kAllOutputs)};
    bool colorgrammes = false;  // keep the colorgramme months current
    bool keepDataBytes = false; // keep the data file's complete lines, for a page that shows them
    // Implausible lines, as they are read; none: standard error.
    MessageCallback onMessage;
    LineMessageCallback onLineMessage; // the same with the line's number, instead when set
    // While the file is read from its start (the share read, 0 to 1) and
    // asked every few thousand lines then; a cancelled read leaves no
    // results, and the next update reads from the start.
    std::function<void(double share)> onProgress;
    std::function<bool()> cancelRequested;

    bool wants(Output output) const;
};

// What an update found and what it changed.
struct LiveUpdate {
    FilePoll file;             // what became of the data file
    std::size_t linesRead = 0; // complete lines taken in
    bool summaryChanged = false;
    // Per result, its splices; none: unchanged. The texts of the tables and
    // the no-observation list and the data bytes in bytes, the pages in
    // lines, the hours in entries of hours().hours().
    SequenceChange tenMinuteTable, hourTable, noObsList, textReport, rmob, dataBytes, hours;
    // The colorgramme months from this index on were made again.
    std::optional<std::size_t> firstChangedMonth;

    bool changed() const { return summaryChanged; }
};

class LiveRun {
public:
    // Reads nothing yet: the first update reads the whole file.
    explicit LiveRun(LiveRequest request);
    ~LiveRun();
    LiveRun(const LiveRun&) = delete;
    LiveRun& operator=(const LiveRun&) = delete;

    // Polls the file and takes in what was appended. IoError when the file
    // exists but cannot be read (the results are then those of the next
    // update that reads it, from its start); RunCancelled.
    LiveUpdate update();

    const LiveRequest& request() const { return request_; }
    const Summary& summary() const;
    // Unreadable and implausible lines in file order, then the rows that
    // could not be put in a slot.
    std::vector<std::string> rejectedLines() const;
    const std::string& tenMinuteTable() const;
    const std::string& hourTable() const;
    const std::string& noObsList() const;
    const std::vector<std::string>& textReport() const;
    const std::vector<std::string>& rmob() const;
    const UtHourList& hours() const;
    const std::vector<ColorgrammeMonth>& colorgrammes() const;
    // The file's bytes up to the end of its last complete line, when kept.
    const std::string& dataBytes() const;
    // The last slot's start (the pending slot's), when there is one.
    std::optional<Timestamp> lastSlot() const;
    // The data file as the last poll saw it.
    const GrowingFile& file() const { return file_; }

    // Everything as runReport gives it (copies).
    RunResult result() const;

private:
    struct State;

    void read(LiveUpdate& update);
    void reportProgress(std::uint64_t bytesRead) const;
    void publish(LiveUpdate& update);

    LiveRequest request_;
    GrowingFile file_;
    std::unique_ptr<State> state_;
};
