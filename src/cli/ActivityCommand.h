#pragma once
// The command line's shower activity: one CSV table per year of a shower and
// the peak, the fit and the warnings as NAME=VALUE lines (many years: one
// comparison line each, then every year's warnings). Reads the hours of the
// finished run; writes the tables through the output writer.

#include "activity/ShowerActivity.h"
#include "activity/ShowerCatalog.h"
#include "config/StationInfo.h"
#include "pipeline/OutputWriter.h"

#include <optional>
#include <string>
#include <vector>

struct ActivityRequest {
    std::string showerCode;
    std::optional<int> year; // every year the data cover when empty
    std::vector<Shower> showers;
    StationInfo station;
    ActivityOptions options;
};

// The lines to print. Throws std::runtime_error for an unknown shower or one
// whose activity period the data do not cover; IoError when a file cannot be
// written.
std::vector<std::string> runActivityCommand(const UtHourList& hours, const ActivityRequest& request,
                                            const OutputWriter& writer);
