#pragma once
// The day-by-hour text report, built into a view given as a list of byte
// lines: the window hands in what its text view holds and shows what it gets
// back, so user edits and "write what the view holds" keep working.

#include "config/Settings.h"
#include "hourly/HourTable.h"

#include <string>
#include <vector>

// Builds the report into the view (the build of updateTextReport, after its dirty
// check): runs computeRates with cnf.nd, replaces the view's lines, narrows. Uses
// nd, HR, MLong, MOData and RTZ (for the UT heading).
void buildTextReport(HourTable& data, const Settings& cnf, std::vector<std::string>& view);
// The same from hours whose flags computeRates has set for cnf.nd, only
// reading them: other threads may read them too.
void buildTextReportFromRated(const HourTable& data, const Settings& cnf,
                              std::vector<std::string>& view);

// The narrowing pass over whatever the view holds.
void narrowReport(std::vector<std::string>& view);
