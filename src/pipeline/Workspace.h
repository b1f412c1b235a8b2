#pragma once
// A station's working data: the ten-minute rows and rejected lines of the data
// file, the hour rows, the no-observation list, the settings and the two
// out-of-date flags. Each front end holds one (the window for its lifetime,
// the command-line tool for one run) and each test makes its own, so two
// workspaces never share anything and give identical outputs side by side.

#include "config/Settings.h"
#include "data/TenMinuteTable.h"
#include "hourly/HourTable.h"
#include "shared/Messages.h"
#include "shared/TextLines.h"

#include <memory>
#include <string>

struct Workspace {
    // Lists ready for use, settings at their defaults (the file is read by
    // the front end, which knows where it lives).
    Workspace();

    TenMinuteTable rows;
    // The ten-minute table as last built, when the run kept it instead of the
    // rows (the window: half the memory, and the Report10 page shows it).
    std::shared_ptr<const std::string> tenMinuteTableText;
    // The last run let the rows go and kept no table either (the tool).
    bool tenMinuteRowsReleased = false;
    HourTable hours;
    TextLines noObsLines;
    Settings settings;
    // The hour rates and the text report page lag behind the data or the
    // report settings.
    bool textReportStale = false;
    // The RMOB page lags behind the data.
    bool rmobStale = false;
    // Where the reader's diagnostics go; empty: standard error.
    MessageCallback onMessage;
};
