#include "pipeline/LiveRun.h"

#include "data/DataFileReader.h"
#include "data/TenMinuteTableFormatter.h"
#include "reports/Rmob.h"
#include "reports/TextReport.h"
#include "shared/LineReader.h"

#include <algorithm>

namespace {

constexpr std::size_t kLinesPerProgress = 4096;

// The slots folded so far.
struct SlotCounts {
    std::size_t rows = 0;
    std::size_t gaps = 0;
    std::optional<Timestamp> first;
    Timestamp last{};

    void add(const TenMinuteRow& row) {
        ++rows;
        gaps += row.isGap() ? 1 : 0;
        if (!first) {
            first = row.time;
        }
        last = row.time;
    }
};

// The sizes of the results before an update, for the splices of a file read
// again.
struct Sizes {
    std::size_t tenMinuteTable = 0, hourTable = 0, noObsList = 0, textReport = 0, rmob = 0,
                dataBytes = 0, hours = 0;
};

std::string lineOf(const std::string& line) {
    return line + "\r\n";
}

} // namespace

bool LiveRequest::wants(Output output) const {
    return std::find(outputs.begin(), outputs.end(), output) != outputs.end();
}

// Everything read and made of the file since its last reading from the start.
struct LiveRun::State {
    explicit State(const LiveRequest& request)
        : request(request), reader([this](const TenMinuteRow& row) { settle(row); },
                                   request.onMessage, request.onLineMessage),
          textReport(request.settings), rmob(request.settings) {
        if (request.settings.tenMinuteHeaderLine && request.wants(Output::TenMinuteTable)) {
            tenMinuteTable = lineOf(std::string(kTenMinuteHeaderLine));
            settledTableSize = tenMinuteTable.size();
        }
        if (request.settings.hourHeaderLine && request.wants(Output::HourTable)) {
            hourTable = lineOf(std::string(kHourHeaderLine));
        }
        hours = UtHourList(std::make_shared<const HourTable>(), request.settings.utOffsetHours,
                           request.settings.noiseMinutes);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Takes the pending slot's provisional fold out again, before the first
    // slot of an update is folded.
    void begin();
    void settle(const TenMinuteRow& row);
    // The slots settled so far are for good.
    void endSettled();
    void foldPending();
    Sizes sizes() const;
    void publishNoObsList(LiveUpdate& update);
    void publishHours(LiveUpdate& update);
    void makeSummary();

    const LiveRequest& request;
    DataFileReader reader;
    bool published = false;        // the results were handed out (after an update)
    bool begun = false;            // begin() was called in this update
    std::size_t rowLinesDone = 0;  // reader.rowLines() at the last update
    std::size_t expectedHours = 0; // room for the hour rows of a whole file
    std::size_t tableSizeBefore = 0, dataSizeBefore = 0; // at the start of the update

    // The settled slots' part of the folding, and the folding with the
    // pending slot.
    SlotCounts settledCounts, counts;
    std::size_t settledTableSize = 0; // the ten-minute table's bytes of settled slots
    std::size_t settledTableSizeAtBegin = 0;
    std::size_t settledHours = 0;           // hour rows with settled slots
    std::optional<HourRow> settledLastHour; // the last of them, with its settled slots only
    HourTable tail;                         // the hour rows from tailBase on, folded in this update
    std::size_t tailBase = 0;
    TenMinuteLineWriter lineWriter;
    std::optional<TenMinuteTableFormatter> formatter; // while the file is read from its start

    std::string tenMinuteTable, hourTable, noObsList, dataBytes;
    std::vector<std::size_t> hourLineStarts;     // where each hour's line starts in hourTable
    std::size_t rejectsEnd = 0, setAsideEnd = 0; // noObsList: rejected lines, set-aside rows, gaps
    std::size_t rejectsDone = 0, setAsideDone = 0; // of them in noObsList
    std::string newGapLines;                       // settled gap rows not yet in noObsList
    UtHourList hours;
    LiveTextReport textReport;
    LiveRmob rmob;
    std::vector<ColorgrammeMonth> colorgrammes;
    Summary summary;
};

void LiveRun::State::begin() {
    begun = true;
    settledTableSizeAtBegin = settledTableSize;
    counts = settledCounts;
    tenMinuteTable.resize(settledTableSize);
    tail = HourTable();
    tail.reserve(expectedHours);
    if (settledLastHour) {
        tail.replaceTail(0, std::span(&*settledLastHour, 1));
    }
    tailBase = settledHours - (settledLastHour ? 1 : 0);
}

void LiveRun::State::settle(const TenMinuteRow& row) {
    if (!begun) {
        begin();
    }
    counts.add(row);
    tail.add(row);
    // The pending slot is never a gap row: the settler takes gap rows only
    // right before the row after them. So the gap lines are all for good.
    if (row.isGap() && request.wants(Output::NoObsList)) {
        appendTenMinuteLine(newGapLines, row);
        newGapLines += "\r\n";
    }
    if (!request.wants(Output::TenMinuteTable)) {
        return;
    }
    if (formatter) {
        formatter->add(row);
    } else {
        lineWriter.append(tenMinuteTable, row);
        tenMinuteTable += "\r\n";
    }
}

void LiveRun::State::endSettled() {
    if (formatter) {
        formatter->finish();
        formatter.reset();
    }
    settledCounts = counts;
    settledTableSize = tenMinuteTable.size();
    settledHours = tailBase + tail.size();
    settledLastHour.reset();
    if (!tail.empty()) {
        settledLastHour = tail.rows().back();
    }
}

void LiveRun::State::foldPending() {
    const TenMinuteRow* pending = reader.settler().pending();
    if (!pending) {
        return;
    }
    counts.add(*pending);
    tail.add(*pending);
    if (request.wants(Output::TenMinuteTable)) {
        lineWriter.append(tenMinuteTable, *pending);
        tenMinuteTable += "\r\n";
    }
}

Sizes LiveRun::State::sizes() const {
    if (!published) {
        return {};
    }
    return {tenMinuteTable.size(), hourTable.size(), noObsList.size(),    textReport.lines().size(),
            rmob.lines().size(),   dataBytes.size(), hours.hours().size()};
}

void LiveRun::State::publishNoObsList(LiveUpdate& update) {
    // The new lines of each part go after that part: the rejected lines,
    // the rows set aside, the gap slots.
    const auto insertPart = [&](std::size_t at, const std::vector<std::string>& lines,
                                std::size_t& done) {
        std::string text;
        for (; done < lines.size(); ++done) {
            text += lineOf(lines[done]);
        }
        if (!text.empty()) {
            noObsList.insert(at, text);
            update.noObsList.push_back(Splice{at, 0, text.size()});
        }
        return text.size();
    };
    const std::size_t rejects = insertPart(rejectsEnd, reader.reading().rejectedLines, rejectsDone);
    rejectsEnd += rejects;
    setAsideEnd += rejects;
    setAsideEnd += insertPart(setAsideEnd, reader.settler().setAside(), setAsideDone);
    if (!newGapLines.empty()) {
        update.noObsList.push_back(Splice{noObsList.size(), 0, newGapLines.size()});
        noObsList += newGapLines;
        newGapLines.clear();
    }
}

void LiveRun::State::publishHours(LiveUpdate& update) {
    const std::size_t oldHours = hours.hours().size();
    hours = std::move(hours).withTail(tailBase, tail.rows());
    update.hours = keptThenNew(tailBase, oldHours, hours.hours().size());
    tail = HourTable();
    if (request.wants(Output::HourTable)) {
        const std::size_t oldSize = hourTable.size();
        const std::size_t from =
            tailBase < hourLineStarts.size() ? hourLineStarts[tailBase] : hourTable.size();
        hourTable.resize(from);
        hourLineStarts.resize(std::min(tailBase, hourLineStarts.size()));
        const std::vector<HourRow>& rows = hours.table().rows();
        for (std::size_t i = hourLineStarts.size(); i < rows.size(); ++i) {
            hourLineStarts.push_back(hourTable.size());
            appendHourLine(hourTable, rows[i]);
            hourTable += "\r\n";
        }
        update.hourTable = keptThenNew(from, oldSize, hourTable.size());
    }
    if (request.wants(Output::TextReport)) {
        update.textReport = textReport.update(hours, tailBase);
    }
    if (request.wants(Output::Rmob)) {
        update.rmob = rmob.update(hours, tailBase);
    }
    if (request.colorgrammes) {
        update.firstChangedMonth = updateColorgrammes(colorgrammes, hours, tailBase);
    }
}

void LiveRun::State::makeSummary() {
    const DataFileReading& reading = reader.reading();
    summary = summaryOfReading(reading.firstLine, reading.lastLine, reading, counts.first,
                               counts.last, counts.rows, counts.gaps,
                               reading.rejectedLines.size() + reader.settler().setAside().size());
}

LiveRun::LiveRun(LiveRequest request)
    : request_(std::move(request)), file_(request_.dataFile),
      state_(std::make_unique<State>(request_)) {}

LiveRun::~LiveRun() = default;

LiveUpdate LiveRun::update() {
    LiveUpdate update;
    try {
        update.file = file_.poll();
    } catch (...) {
        // Nothing was read: the results stay until the file is read again.
        file_.forget();
        throw;
    }
    if (update.file.state == FileState::Missing || update.file.state == FileState::Unchanged) {
        return update;
    }
    const Sizes before = state_->sizes();
    if (update.file.state == FileState::ReadAgain) {
        state_ = std::make_unique<State>(request_);
    }
    try {
        read(update);
    } catch (...) {
        // Half an update is no state to go on from.
        file_.forget();
        state_ = std::make_unique<State>(request_);
        throw;
    }
    if (update.linesRead > 0 || update.file.state == FileState::ReadAgain) {
        publish(update);
    }
    if (update.file.state == FileState::ReadAgain) {
        const Sizes after = state_->sizes();
        update.tenMinuteTable = keptThenNew(0, before.tenMinuteTable, after.tenMinuteTable);
        update.hourTable = keptThenNew(0, before.hourTable, after.hourTable);
        update.noObsList = keptThenNew(0, before.noObsList, after.noObsList);
        update.textReport = keptThenNew(0, before.textReport, after.textReport);
        update.rmob = keptThenNew(0, before.rmob, after.rmob);
        update.dataBytes = keptThenNew(0, before.dataBytes, after.dataBytes);
        update.hours = keptThenNew(0, before.hours, after.hours);
        update.firstChangedMonth = 0;
    }
    return update;
}

void LiveRun::read(LiveUpdate& update) {
    State& s = *state_;
    s.begun = false;
    s.tableSizeBefore = s.tenMinuteTable.size();
    s.dataSizeBefore = s.dataBytes.size();
    const bool fromStart = file_.completeBytes() == 0;
    if (fromStart && request_.wants(Output::TenMinuteTable)) {
        // A whole file's table is formatted beside the reading, as in a run.
        s.formatter.emplace(false, [&s](std::string_view piece) { s.tenMinuteTable += piece; });
    }
    // Six data lines of some fifty bytes make an hour.
    s.expectedHours = fromStart ? static_cast<std::size_t>(file_.size() / 150) : 0;
    std::size_t untilProgress = kLinesPerProgress;
    while (const std::optional<LinePiece> piece = file_.next()) {
        if (request_.keepDataBytes) {
            s.dataBytes += piece->text;
        }
        LineReader lines(TextInMemory{piece->text});
        while (const std::optional<std::string_view> line = lines.next()) {
            s.reader.read(*line, piece->offset + lines.lastLineOffset());
            ++update.linesRead;
            if (--untilProgress == 0 && fromStart) {
                untilProgress = kLinesPerProgress;
                reportProgress(piece->offset + lines.bytesDone());
            }
        }
    }
    if (s.reader.rowLines() != s.rowLinesDone) {
        if (!s.begun) {
            s.begin(); // a row joined the pending slot, or was set aside
        }
        s.endSettled();
        s.foldPending();
    }
    s.formatter.reset();
}

void LiveRun::reportProgress(std::uint64_t bytesRead) const {
    if (request_.onProgress && file_.size() > 0) {
        request_.onProgress(
            std::min(1.0, static_cast<double>(bytesRead) / static_cast<double>(file_.size())));
    }
    if (request_.cancelRequested && request_.cancelRequested()) {
        throw RunCancelled();
    }
}

void LiveRun::publish(LiveUpdate& update) {
    State& s = *state_;
    s.published = true;
    update.summaryChanged = true;
    if (s.begun || update.file.state == FileState::ReadAgain) {
        // The table lost the pending slot's line at begin() and has its own
        // and the settled slots' after it.
        update.tenMinuteTable = keptThenNew(std::min(s.tableSizeBefore, s.settledTableSizeAtBegin),
                                            s.tableSizeBefore, s.tenMinuteTable.size());
        s.publishHours(update);
    }
    update.dataBytes = keptThenNew(s.dataSizeBefore, s.dataSizeBefore, s.dataBytes.size());
    s.rowLinesDone = s.reader.rowLines();
    if (request_.wants(Output::NoObsList)) {
        s.publishNoObsList(update);
    }
    s.makeSummary();
}

const Summary& LiveRun::summary() const {
    return state_->summary;
}

std::vector<std::string> LiveRun::rejectedLines() const {
    std::vector<std::string> lines = state_->reader.reading().rejectedLines;
    const std::vector<std::string>& setAside = state_->reader.settler().setAside();
    lines.insert(lines.end(), setAside.begin(), setAside.end());
    return lines;
}

const std::string& LiveRun::tenMinuteTable() const {
    return state_->tenMinuteTable;
}

const std::string& LiveRun::hourTable() const {
    return state_->hourTable;
}

const std::string& LiveRun::noObsList() const {
    return state_->noObsList;
}

const std::vector<std::string>& LiveRun::textReport() const {
    return state_->textReport.lines();
}

const std::vector<std::string>& LiveRun::rmob() const {
    return state_->rmob.lines();
}

const UtHourList& LiveRun::hours() const {
    return state_->hours;
}

const std::vector<ColorgrammeMonth>& LiveRun::colorgrammes() const {
    return state_->colorgrammes;
}

const std::string& LiveRun::dataBytes() const {
    return state_->dataBytes;
}

std::optional<Timestamp> LiveRun::lastSlot() const {
    const SlotCounts& counts = state_->counts;
    return counts.first ? std::optional(counts.last) : std::nullopt;
}

RunResult LiveRun::result() const {
    RunResult result;
    result.summary = summary();
    result.rejectedLines = rejectedLines();
    if (request_.keepDataBytes) {
        result.dataBytes = std::make_shared<const std::string>(dataBytes());
    }
    result.tenMinuteTable = tenMinuteTable();
    result.hourTable = hourTable();
    result.noObsList = noObsList();
    if (request_.wants(Output::TextReport)) {
        result.textReport = textReport();
    }
    if (request_.wants(Output::Rmob)) {
        result.rmob = rmob();
    }
    result.hours = hours();
    return result;
}
