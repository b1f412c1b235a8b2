#pragma once
// One line of a data file read into a row.
//
// Columns are separated by commas, without quoting: file name, date and time
// (in one column, or date and time in two), echo, long-echo and other-data
// counts, observed minutes, and the rest of the line as the remark. Each
// column up to the observed minutes must end in a comma.

#include "data/TenMinuteRow.h"

#include <string>
#include <string_view>

enum class LineVerdict {
    Empty,       // no trace: neither a row nor a rejected line
    Row,         // the row is filled
    Unreadable,  // a column cannot be read: rejected without a word
    Implausible, // no observed minutes but echoes: rejected with a message
};

// Reads a line; the row's texts are views into the line.
LineVerdict readDataLine(std::string_view line, TenMinuteRow& row);

// The message of an implausible line (code page 932; lines separated by CR).
std::string implausibleLineMessage(std::string_view line);
// The message of a line whose handling failed for want of memory or the like.
const std::string& unexpectedErrorMessage();
