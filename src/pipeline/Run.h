#pragma once
// The run: a data file and the settings in, every result out. It reads the
// file once, puts the rows in their slots, folds them into hours and makes the
// texts of the outputs asked for. It writes no file and calls no view: a front
// end shows the result and hands what it wants written to an OutputWriter.
// The order of the steps lives here only.
//
// A run may go on any thread; its callbacks are called on that thread.

#include "config/Settings.h"
#include "data/DataFileReader.h"
#include "hourly/UtHourList.h"
#include "shared/Messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The five outputs, in the order a run's outputs are written.
enum class Output : std::uint8_t { TextReport, Rmob, TenMinuteTable, HourTable, NoObsList };
inline constexpr Output kAllOutputs[] = {Output::TextReport, Output::Rmob, Output::TenMinuteTable,
                                         Output::HourTable, Output::NoObsList};

// The eight summary fields of the main page; texts are bytes. The last line is
// the last one read: a Ctrl-Z ends the data, and endMark says where.
struct Summary {
    std::string firstLine, firstSlot, lineCount, rowCount, lastLine, lastSlot, rejectedCount,
        gapCount;
    std::optional<EndMark> endMark;
};

// The summary of a read: its first and last line (given apart, so that a run
// that is done with them moves them: a line may be 100 MB), its end mark, the
// first and last slot when there were rows, and the counts (rejected:
// unreadable, implausible and set aside lines together).
Summary summaryOfReading(std::string firstLine, std::string lastLine,
                         const DataFileReading& reading, std::optional<Timestamp> firstSlot,
                         Timestamp lastSlot, std::size_t rows, std::size_t gaps,
                         std::size_t rejected);

enum class RunStep { Reading, Reports, Done };

struct RunRequest {
    std::string dataFile;
    Settings settings;
    // The outputs whose texts are made (the hours and the summary always are).
    std::vector<Output> outputs{std::begin(kAllOutputs), std::end(kAllOutputs)};
    bool keepDataBytes = false; // for a page that shows the data file
    // Where the ten-minute table goes when it is asked for: without a sink
    // into the result; with one, in pieces as the rows are read (the command
    // line writes it to its file as it comes: a decade's table is 41 MB).
    std::function<void(std::string_view piece)> tenMinuteTableSink;
    // Implausible lines, as they are read; none: standard error.
    MessageCallback onMessage;
    LineMessageCallback onLineMessage; // the same with the line's number, instead when set
    // The step and the share of the whole run done (0 to 1).
    std::function<void(RunStep step, double fraction)> onProgress;
    // Asked every few thousand lines and between the steps.
    std::function<bool()> cancelRequested;

    bool wants(Output output) const;
};

struct RunResult {
    Summary summary;
    // Unreadable and implausible lines in file order, then the rows that
    // could not be put in a slot.
    std::vector<std::string> rejectedLines;
    // The data file's bytes, when asked for.
    std::shared_ptr<const std::string> dataBytes;
    // The texts of the outputs asked for: the tables and the no-observation
    // list as their files hold them (lines ended by CR LF), the text report
    // and the RMOB tables as the lines of their pages.
    std::string tenMinuteTable;
    std::string hourTable;
    std::string noObsList;
    std::vector<std::string> textReport;
    std::vector<std::string> rmob;
    // The station's hours under the settings' time zone and noise threshold.
    UtHourList hours;
};

// The run was stopped by its cancel callback; nothing of it remains.
class RunCancelled : public std::runtime_error {
public:
    RunCancelled() : std::runtime_error("the run was stopped") {}
};

// IoError naming the file when the data file cannot be read; RunCancelled.
RunResult runReport(const RunRequest& request);
