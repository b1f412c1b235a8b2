#pragma once
// The monthly tables in the RMOB bulletin layout, shifted to UT by RTZ, built
// into a view given as a list of byte lines.

#include "config/Settings.h"
#include "hourly/HourTable.h"
#include "shared/NumberFormat.h"

#include <array>
#include <string>
#include <vector>

// The build of buildRmobTables: runs computeRates with cnf.nd, replaces the view's
// lines with the tables. With no hour rows the view gets the title lines only.
void buildRmob(HourTable& data, const Settings& cnf, std::vector<std::string>& view);
// The same from hours whose flags computeRates has set for cnf.nd (and whose
// list is initialised), only reading them: other threads may read them too.
void buildRmobFromRated(const HourTable& data, const Settings& cnf, std::vector<std::string>& view);

// The header line of a month given as two digits ("01" to "12").
std::string rmobHeadLine(const std::string& month);
// One cell for a value of an hour row.
std::string rmobCell(double value, const HourRow& row);
// The same put at out (at most kRmobCellRoom bytes); returns its end.
inline constexpr int kRmobCellRoom = kIntRoom + 2;
char* putRmobCell(char* out, double value, const HourRow& row);
