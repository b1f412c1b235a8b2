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
#include "shared/Splice.h"

#include <string>
#include <vector>

// The tables of the hours in the list's UT; of the settings it reads which
// tables to add and the duration labels of their headings. Without hours the
// lines are the title lines only.
std::vector<std::string> buildRmob(const UtHourList& hours, const Settings& settings);

// The tables of a list whose last hours change as its data file grows,
// kept equal to buildRmob: only the UT days from the first changed hour on
// are made again.
class LiveRmob {
public:
    explicit LiveRmob(const Settings& settings);

    // The list's hours from fromHour on changed (all of them at the first
    // call); the list keeps its time zone from call to call. Returns what
    // changed in lines(): a splice per table.
    SequenceChange update(const UtHourList& hours, std::size_t fromHour);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    // Where a UT day starts: its first hour, its first line in each table
    // (its header line when it has one), and its month.
    struct Day {
        std::size_t firstHour = 0;
        std::size_t firstLine = 0;
        int month = 0;
    };

    std::vector<int> tables_;             // the values the tables show, in order
    std::vector<std::size_t> titleLines_; // the lines before each table
    std::size_t tableLines_ = 0;          // the lines of each table: all have the same days
    std::vector<Day> days_;
    std::vector<std::string> lines_;
    bool updated_ = false;
};

// The header line of a month (1 to 12).
std::string rmobHeadLine(int month);
// One cell for a value of an hour.
std::string rmobCell(double value, const UtHour& hour);
