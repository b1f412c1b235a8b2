#pragma once
// The day-by-hour text report (velkreport.txt): one line per day of the data
// file's clock with a cell per hour, under a local-time and a UT heading, a
// month line before each month's first day, and when asked a long-echo and an
// other-data line under each day. A cell shows the hour's echo count, or for
// an hour observed less than 60 minutes its hourly rate marked "%", or for a
// noise hour two bytes of its remark. Then every hour column whose cells all
// begin with a blank that nothing needs is made one character narrower.
//
// The window shows the lines on a page the user may edit, and the file is
// written from what the page holds.

#include "config/Settings.h"
#include "hourly/UtHourList.h"

#include <string>
#include <vector>

// The report of the hours, with the list's time zone and noise threshold; of
// the settings it reads the long-echo and other-data lines and the "%" rates.
std::vector<std::string> buildTextReport(const UtHourList& hours, const Settings& settings);

// The narrowing pass over whatever lines the page holds.
void narrowReport(std::vector<std::string>& lines);
