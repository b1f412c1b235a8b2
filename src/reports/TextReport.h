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
#include "shared/Splice.h"

#include <cstdint>
#include <string>
#include <vector>

// The report of the hours, with the list's time zone and noise threshold; of
// the settings it reads the long-echo and other-data lines and the "%" rates.
std::vector<std::string> buildTextReport(const UtHourList& hours, const Settings& settings);

// The narrowing pass over whatever lines the page holds.
void narrowReport(std::vector<std::string>& lines);

// The report of a list whose last hours change as its data file grows,
// kept equal to buildTextReport: only the days from the first changed hour
// on are made again, and every line is narrowed again only when the columns
// to narrow change (a count that first fills its column, say).
class LiveTextReport {
public:
    explicit LiveTextReport(const Settings& settings);
    ~LiveTextReport();

    // The list's hours from fromHour on changed (all of them at the first
    // call); the list keeps its time zone from call to call. Returns what
    // changed in lines().
    SequenceChange update(const UtHourList& hours, std::size_t fromHour);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    // Where a day starts: its first hour, its first line (its month line
    // when it has one), and its month.
    struct Day {
        std::size_t firstHour = 0;
        std::size_t firstLine = 0;
        int month = 0;
    };

    Settings settings_;
    std::vector<std::string> wide_;         // the lines before narrowing
    std::vector<std::uint32_t> narrowable_; // per line of wide_, the columns it lets narrow
    std::vector<Day> days_;
    std::uint32_t columns_ = 0; // the columns narrowed in lines_
    std::vector<std::string> lines_;
};
