#pragma once
// The command line's live mode (--watch): one full run whose outputs are
// written as a plain run writes them (the .bak rule once, here), then the
// data file is followed while the recorder appends to it. After each update
// that changed results, the outputs it changed are written again through a
// new file renamed into place, so a reader never finds one half written.
// A file that shrank, was replaced or changed is read again from its start;
// one that is gone or cannot be read keeps the last outputs until it can.
// Notes about the file and the recorder's health (Stalled=, Resumed=) go to
// standard error, one Updated= line per update to standard output. SIGINT
// and SIGTERM end the watch with status 0; an output folder that cannot be
// written at the start is an IoError.

#include "config/Settings.h"
#include "config/StationInfo.h"
#include "pipeline/RecorderHealth.h"
#include "pipeline/Run.h"
#include "shared/Messages.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

struct WatchRequest {
    std::string dataFile;
    Settings settings;
    std::string outputFolder; // empty: the current folder
    bool rmobMonthly = false; // and keep the changed months' RMOB files current
    StationInfo station;      // for those
    bool colorgrammes = false;
    std::optional<double> manualMaximum;
    std::chrono::milliseconds stallAfter = RecorderHealth::kDefaultStallAfter;
    // How often the file is looked at when its folder tells nothing.
    std::chrono::milliseconds pollEvery{2000};
    MessageCallback onMessage;                        // implausible lines
    std::function<void(const Summary&)> printSummary; // after the first run
};

// Returns the exit status once stopped by a signal.
int runWatch(const WatchRequest& request);
