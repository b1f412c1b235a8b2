#pragma once
// The monthly tables of the RMOB page (rmob.txt) in the bulletin's layout: one
// line per UT day, a five-character cell per UT hour, each month opened by a
// header line. The first table holds the hourly echo rate, the second and
// third (when asked) the long-echo and other-data counts. An hour above the
// noise threshold shows its rounded value, a noise hour two bytes of its
// remark, any other hour "??? |".
//
// The window shows the lines on a page the user may edit, and the file is
// written from what the page holds.

#include "config/Settings.h"
#include "hourly/UtHourList.h"
#include "shared/NumberFormat.h"

#include <string>
#include <vector>

// The tables of the hours in the list's UT; of the settings it reads which
// tables to add and the duration labels of their headings. Without hours the
// lines are the title lines only.
std::vector<std::string> buildRmob(const UtHourList& hours, const Settings& settings);

// The header line of a month (1 to 12).
std::string rmobHeadLine(int month);
// One cell for a value of an hour.
std::string rmobCell(double value, const UtHour& hour);
