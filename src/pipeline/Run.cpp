#include "pipeline/Run.h"

#include "data/DataFileReader.h"
#include "data/TenMinuteTableFormatter.h"
#include "reports/Rmob.h"
#include "reports/TextReport.h"
#include "shared/LineReader.h"

#include <algorithm>
#include <future>
#include <optional>

namespace {

// The reading is most of a run; the rest is the reports of the hours.
constexpr double kReadingShare = 0.8;

// What each settled slot goes into, as it comes.
struct SlotFolding {
    explicit SlotFolding(const RunRequest& request, std::uint64_t expectedBytes) {
        // Six data lines of some fifty bytes make an hour; room reserved
        // that is never used costs no memory, and the hours are never moved
        // (5 % off a decade's run).
        hours->reserve(static_cast<std::size_t>(expectedBytes / 150));
        if (!request.wants(Output::TenMinuteTable)) {
            return;
        }
        auto sink = request.tenMinuteTableSink;
        if (!sink) {
            // A table line is some 1.6 times its data line.
            table.reserve(static_cast<std::size_t>(expectedBytes) * 2 + 4096);
            sink = [this](std::string_view piece) { table += piece; };
        }
        formatter.emplace(request.settings.tenMinuteHeaderLine, std::move(sink));
    }

    void add(const TenMinuteRow& row) {
        hours->add(row);
        if (row.isGap()) {
            appendTenMinuteLine(gapLines, row);
            gapLines += "\r\n";
            ++gapCount;
        }
        if (!firstSlot) {
            firstSlot = row.time;
        }
        lastSlot = row.time;
        ++rowCount;
        if (formatter) {
            formatter->add(row);
        }
    }

    void finish() {
        if (formatter) {
            formatter->finish();
        }
    }

    std::shared_ptr<HourTable> hours = std::make_shared<HourTable>();
    std::string table;
    std::string gapLines; // the no-observation list's gap slots
    std::size_t rowCount = 0;
    std::size_t gapCount = 0;
    std::optional<Timestamp> firstSlot;
    Timestamp lastSlot{};
    // Last, so that it goes first: its batches in flight append to table.
    std::optional<TenMinuteTableFormatter> formatter;
};

class Run {
public:
    explicit Run(const RunRequest& request) : request_(request) {}

    RunResult operator()();

private:
    void report(RunStep step, double fraction) const {
        if (request_.onProgress) {
            request_.onProgress(step, fraction);
        }
        if (request_.cancelRequested && request_.cancelRequested()) {
            throw RunCancelled();
        }
    }
    // Takes the first and last line: they may be as long as the file.
    Summary summaryOf(DataFileReading& reading, const SlotFolding& folding) const;
    void makeReports(RunResult& result) const;

    const RunRequest& request_;
};

RunResult Run::operator()() {
    report(RunStep::Reading, 0.0);
    LineReader lines(request_.dataFile, request_.keepDataBytes);
    SlotFolding folding(request_, lines.expectedSize());
    DataFileHandlers handlers;
    handlers.onRow = [&folding](const TenMinuteRow& row) { folding.add(row); };
    handlers.onMessage = request_.onMessage;
    handlers.onLineMessage = request_.onLineMessage;
    handlers.onProgress = [this](double share) { report(RunStep::Reading, kReadingShare * share); };
    DataFileReading reading = readDataFile(lines, handlers);
    report(RunStep::Reports, kReadingShare);

    RunResult result;
    result.summary = summaryOf(reading, folding);
    if (request_.wants(Output::NoObsList)) {
        // The lines set aside first, then the gap slots, built in one
        // string: a rejected line may be as long as the file.
        std::size_t size = folding.gapLines.size();
        for (const std::string& line : reading.rejectedLines) {
            size += line.size() + 2;
        }
        result.noObsList.reserve(size);
        for (const std::string& line : reading.rejectedLines) {
            result.noObsList += line;
            result.noObsList += "\r\n";
        }
        result.noObsList += folding.gapLines;
    }
    result.rejectedLines = std::move(reading.rejectedLines);
    if (request_.keepDataBytes) {
        result.dataBytes = std::make_shared<const std::string>(lines.takeBytes());
    }
    result.hours =
        UtHourList(folding.hours, request_.settings.utOffsetHours, request_.settings.noiseMinutes);
    // The reports of the hours are made while the last rows of the table are
    // still being formatted.
    makeReports(result);
    folding.finish();
    result.tenMinuteTable = std::move(folding.table);
    report(RunStep::Done, 1.0);
    return result;
}

Summary Run::summaryOf(DataFileReading& reading, const SlotFolding& folding) const {
    return summaryOfReading(std::move(reading.firstLine), std::move(reading.lastLine), reading,
                            folding.firstSlot, folding.lastSlot, folding.rowCount, folding.gapCount,
                            reading.rejectedLines.size());
}

void Run::makeReports(RunResult& result) const {
    const Settings& settings = request_.settings;
    // The three only read the hours, so they are made side by side (7 % off
    // a decade's run).
    std::future<std::vector<std::string>> rmob;
    if (request_.wants(Output::Rmob)) {
        rmob = std::async(std::launch::async,
                          [&result, &settings] { return buildRmob(result.hours, settings); });
    }
    std::future<std::vector<std::string>> textReport;
    if (request_.wants(Output::TextReport)) {
        textReport = std::async(std::launch::async, [&result, &settings] {
            return buildTextReport(result.hours, settings);
        });
    }
    if (request_.wants(Output::HourTable)) {
        result.hourTable = result.hours.table().text(settings.hourHeaderLine);
    }
    if (rmob.valid()) {
        result.rmob = rmob.get();
    }
    if (textReport.valid()) {
        result.textReport = textReport.get();
    }
}

} // namespace

Summary summaryOfReading(std::string firstLine, std::string lastLine,
                         const DataFileReading& reading, std::optional<Timestamp> firstSlot,
                         Timestamp lastSlot, std::size_t rows, std::size_t gaps,
                         std::size_t rejected) {
    Summary summary;
    summary.firstLine = std::move(firstLine);
    summary.lastLine = std::move(lastLine);
    summary.endMark = reading.endMark;
    // A file without a single row leaves both times empty; the run goes on so
    // that the no-observation list shows why nothing was read.
    if (firstSlot) {
        summary.firstSlot = reportTimeText(*firstSlot);
        summary.lastSlot = reportTimeText(lastSlot);
    }
    summary.lineCount = std::to_string(reading.lineCount);
    summary.rowCount = std::to_string(rows);
    summary.gapCount = std::to_string(gaps);
    summary.rejectedCount = std::to_string(rejected);
    return summary;
}

bool RunRequest::wants(Output output) const {
    return std::find(outputs.begin(), outputs.end(), output) != outputs.end();
}

RunResult runReport(const RunRequest& request) {
    return Run(request)();
}
