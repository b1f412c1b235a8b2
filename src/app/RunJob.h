#pragma once
// The window's run, all of which goes on a worker thread: the core's run of
// the data file, then what the pages need of its result (each page's text
// with its line index, the colorgramme months) and the outputs the settings
// write after every run. The job reads only its order and writes only its
// outcome and messages, so the window goes on meanwhile; its callbacks are
// called on the worker.
//
// A cancelled job leaves nothing (RunCancelled; nothing is written before the
// last check). A data file that cannot be read ends it with IoError. A file
// that cannot be written does not: the outcome carries the error, and the
// pages show the new data all the same.

#include "app/LineIndex.h"
#include "config/Settings.h"
#include "hourly/UtHourList.h"
#include "pipeline/Run.h"
#include "reports/Colorgramme.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RunOrder {
    std::string dataFile; // as the file system spells it
    Settings settings;
    std::string outputFolder;
};

// The steps the window names in its status bar.
enum class JobStep : std::uint8_t { Reading, Counting, Writing };

// The messages of a run's implausible lines, shown once the run has ended. A
// file of a million such lines keeps the texts of the first kKept and counts
// the rest: nobody clicks through more boxes than that.
struct RunMessages {
    static constexpr std::size_t kKept = 1000;
    std::vector<std::string> texts; // code page 932
    std::vector<std::size_t> lines; // each text's line of the data file
    std::size_t count = 0;

    void add(const std::string& text, std::size_t line);
};

struct RunOutcome {
    Settings settings; // the run's
    Summary summary;
    UtHourList hours;
    IndexedText rawData;
    IndexedText tenMinuteTable;
    IndexedText hourTable;
    IndexedText noObsList;
    // Made only when the settings write them after every run; otherwise their
    // pages build them when shown.
    std::optional<std::vector<std::string>> textReport;
    std::optional<std::vector<std::string>> rmob;
    std::vector<ColorgrammeMonth> months;
    std::exception_ptr writeError; // an output that could not be written
};

struct JobControl {
    std::function<bool()> cancelled;
    std::function<void(JobStep step, double fraction)> progress;
};

// Throws RunCancelled or IoError (the data file); messages keep what came
// before either.
RunOutcome runJob(const RunOrder& order, const JobControl& control, RunMessages& messages);
