#pragma once
// A watch's side on the worker thread: the live run of the watched file,
// which takes in what was appended at each update, and the outputs the
// settings write after every run, written again whenever they change. Each
// update hands the window a LivePatch: what changed on each page, the hour
// rows from the first that changed, the colorgramme months from the first
// that changed, all copied out of the run (the data file's new lines are read
// again from the file, so that the run need not keep them). The run itself is
// the worker's alone; the window reads only the patch, after the worker has
// been joined.
//
// The first update reads the whole file, and so does any update after the
// file shrank, was replaced or changed before its end: its patch carries
// every page whole. The outputs replace their files through a new file
// renamed into place, so that a reader never finds one half written; the
// .bak rule holds at the first update only, so the .bak files keep what was
// there before the watch.

#include "app/LineIndex.h"
#include "app/RunJob.h"
#include "pipeline/LiveRun.h"
#include "pipeline/OutputWriter.h"
#include "pipeline/RecorderHealth.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

struct LiveOrder {
    std::string dataFile; // as the file system spells it
    Settings settings;
    std::string outputFolder;
};

// One page's change: its whole new text, or edits (bytes or lines, as the
// page holds its text) to make in order.
struct PageChange {
    std::optional<IndexedText> whole;
    std::vector<TextEdit> edits;
};

struct LivePatch {
    FilePoll file;
    std::size_t linesRead = 0;
    bool whole = false;   // every result made afresh: the pages are whole
    bool changed = false; // the results changed (and the summary with them)
    Summary summary;
    PageChange rawData, tenMinuteTable, hourTable, noObsList; // in bytes
    PageChange textReport, rmob;                              // in lines
    // The hours: the whole list, or the rows from keptHours on.
    std::optional<UtHourList> hours;
    std::size_t keptHours = 0;
    std::vector<HourRow> hourRows;
    bool hoursChanged = false;
    // The colorgramme months from this index on were made again.
    std::optional<std::size_t> firstChangedMonth;
    std::vector<ColorgrammeMonth> months;
    std::optional<Timestamp> lastSlot;
    WallClock::time_point modified; // the file's, at this poll
    std::exception_ptr writeError;  // an output that could not be written
};

class LiveJob {
public:
    // Reads nothing yet. The messages of implausible lines go to messages,
    // which must outlive the job.
    LiveJob(const LiveOrder& order, const JobControl& control, RunMessages& messages);

    // Polls the file and takes in what came. IoError when the file exists
    // but cannot be read; RunCancelled while the file is read from its start.
    LivePatch update();

private:
    static LiveRequest requestOf(const LiveOrder& order, const JobControl& control,
                                 RunMessages& messages);
    void copyPages(const LiveUpdate& update, LivePatch& patch);
    PageChange rawDataChange(bool whole);
    void copyHours(const LiveUpdate& update, LivePatch& patch) const;
    void writeOutputs(const LiveUpdate& update, bool whole);

    Settings settings_;
    LiveRun run_;
    OutputWriter writer_;
    std::uint64_t rawDataBytes_ = 0; // of the file, on the raw page
};
