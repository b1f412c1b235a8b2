#include "WatchCommand.h"

#include "CliTexts.h"

#include "SwappedFile.h"
#include "Wakeups.h"
#include "pipeline/LiveRun.h"
#include "pipeline/OutputWriter.h"
#include "reports/RmobMonthly.h"
#include "shared/IoError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>

namespace {

using std::chrono::milliseconds;

constexpr std::size_t kOutputs = std::size(kAllOutputs);

// What an update changed in one output.
const SequenceChange& changeOf(const LiveUpdate& update, Output output) {
    switch (output) {
    case Output::TextReport:
        return update.textReport;
    case Output::Rmob:
        return update.rmob;
    case Output::TenMinuteTable:
        return update.tenMinuteTable;
    case Output::HourTable:
        return update.hourTable;
    case Output::NoObsList:
        break;
    }
    return update.noObsList;
}

// The outputs that changed and are not written yet; a write that failed is
// tried again at the next wake-up.
struct PendingOutputs {
    // Per output of kAllOutputs, how much of its front (bytes, or lines of
    // a page) is as it was written last.
    std::array<std::optional<std::size_t>, kOutputs> unchanged;
    std::optional<std::size_t> fromHour;  // the monthly RMOB files of this hour's month on
    std::optional<std::size_t> fromMonth; // the colorgrammes from this one on

    void add(const LiveUpdate& update) {
        const auto firstChange = [](std::optional<std::size_t>& kept, const SequenceChange& c) {
            if (!c.empty()) {
                kept = std::min(kept.value_or(SIZE_MAX), c.front().from);
            }
        };
        for (std::size_t i = 0; i < kOutputs; ++i) {
            firstChange(unchanged[i], changeOf(update, kAllOutputs[i]));
        }
        firstChange(fromHour, update.hours);
        if (update.firstChangedMonth) {
            fromMonth = std::min(fromMonth.value_or(SIZE_MAX), *update.firstChangedMonth);
        }
    }
    bool any() const {
        return fromHour || fromMonth ||
               std::any_of(unchanged.begin(), unchanged.end(), [](auto u) { return bool(u); });
    }
};

// The bytes of the first `count` lines of a page's file.
std::size_t pageBytes(const std::vector<std::string>& lines, std::size_t count) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < std::min(count, lines.size()); ++i) {
        bytes += lines[i].size() + 2;
    }
    return bytes;
}

std::string wallTimeText(WallClock::time_point time) {
    const std::time_t seconds = WallClock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

std::string slotText(std::optional<Timestamp> slot) {
    return slot ? reportTimeText(*slot) : std::string("none");
}

// One write per line, so that lines of the watch and of the reading do not mix.
void printLine(std::FILE* to, std::string line) {
    line.push_back('\n');
    if (std::fwrite(line.data(), 1, line.size(), to) != line.size() || std::fflush(to) != 0) {
        if (to == stdout) {
            throwIoError(FileOperation::Write, "standard output", errno);
        }
    }
}

void note(const std::string& text) {
    printLine(stderr, "velkreport-cli: " + text);
}

// What a poll found that a person following the watch should know.
std::optional<std::string> fileNote(const FilePoll& poll, const std::string& name) {
    const std::string file = "'" + name + "'";
    if (poll.state == FileState::Missing) {
        return poll.back ? std::nullopt
                         : std::optional(file + " is gone: the outputs stay until it is back");
    }
    const char* again = ": reading it again from its start";
    if (poll.back) {
        return file + " is back" + (poll.state == FileState::ReadAgain ? again : "");
    }
    if (poll.state != FileState::ReadAgain) {
        return std::nullopt;
    }
    switch (poll.cause) {
    case ReadAgainCause::Shrunk:
        return file + " shrank" + again;
    case ReadAgainCause::Replaced:
        return file + " was replaced" + again;
    case ReadAgainCause::Changed:
        return file + " changed before its end" + again;
    case ReadAgainCause::FirstRead:
        break;
    }
    return std::nullopt;
}

class Watch {
public:
    Watch(const WatchRequest& request, Wakeups& wakeups);
    // The first full run and its outputs; IoError when they cannot be made.
    void start();
    // Until a stop signal.
    void follow();

private:
    LiveRequest liveRequest() const;
    void look();
    void writeAll();
    void writePending();
    void writeOutput(std::size_t index, std::size_t unchanged);
    void writeMonthly();
    void noteHealth(HealthChange change) const;
    milliseconds sleepTime() const;

    const WatchRequest& request_;
    Wakeups& wakeups_;
    LiveRun live_;
    OutputWriter writer_;
    std::array<std::optional<SwappedFile>, kOutputs> files_; // of kAllOutputs
    RecorderHealth health_;
    PendingOutputs pending_;
    std::size_t linesNotWritten_ = 0;
    bool missing_ = false;
    std::string readError_, writeError_; // told once, until they are gone
};

Watch::Watch(const WatchRequest& request, Wakeups& wakeups)
    : request_(request), wakeups_(wakeups), live_(liveRequest()), writer_(request.outputFolder),
      health_(request.stallAfter) {
    writer_.setReplacement(FileReplacement::ByRename);
    for (std::size_t i = 0; i < kOutputs; ++i) {
        files_[i].emplace(writer_.pathOf(OutputWriter::fileNameOf(kAllOutputs[i])));
    }
}

LiveRequest Watch::liveRequest() const {
    LiveRequest live;
    live.dataFile = request_.dataFile;
    live.settings = request_.settings;
    live.colorgrammes = request_.colorgrammes;
    live.onMessage = request_.onMessage;
    live.cancelRequested = [this] { return wakeups_.stopRequested(); };
    return live;
}

void Watch::start() {
    const LiveUpdate first = live_.update();
    if (first.file.state == FileState::Missing) {
        throwIoError(FileOperation::Open, request_.dataFile, ENOENT);
    }
    if (request_.rmobMonthly) {
        if (const std::string warning = cliText(stationWarningText(request_.station));
            !warning.empty()) {
            printLine(stderr, warning);
        }
    }
    writeAll();
    request_.printSummary(live_.summary());
    health_.start(live_.file().modified(), live_.lastSlot());
    noteHealth(health_.check(WallClock::now()));
}

// The outputs as a plain run writes them, the .bak rule applied.
void Watch::writeAll() {
    writer_.writeTenMinuteTable(live_.tenMinuteTable());
    writer_.writeTextReport(live_.textReport());
    writer_.writeRmob(live_.rmob());
    writer_.writeHourTable(live_.hourTable());
    writer_.writeNoObsList(live_.noObsList());
    for (std::optional<SwappedFile>& file : files_) {
        file->adopt();
    }
    pending_.fromHour = 0;
    pending_.fromMonth = 0;
    writeMonthly();
    // From now on the .bak files keep what was there before the watch.
    writer_.setBackups(false);
}

void Watch::writePending() {
    for (std::size_t i = 0; i < kOutputs; ++i) {
        if (pending_.unchanged[i]) {
            writeOutput(i, *pending_.unchanged[i]);
            pending_.unchanged[i].reset();
        }
    }
    writeMonthly();
}

void Watch::writeOutput(std::size_t index, std::size_t unchanged) {
    SwappedFile& file = *files_[index];
    switch (kAllOutputs[index]) {
    case Output::TextReport:
    case Output::Rmob: {
        const std::vector<std::string>& lines =
            kAllOutputs[index] == Output::Rmob ? live_.rmob() : live_.textReport();
        file.write(OutputWriter::pageFileText(lines), pageBytes(lines, unchanged));
        return;
    }
    case Output::TenMinuteTable:
        file.write(live_.tenMinuteTable(), unchanged);
        return;
    case Output::HourTable:
        file.write(live_.hourTable(), unchanged);
        return;
    case Output::NoObsList:
        file.write(live_.noObsList(), unchanged);
        return;
    }
}

void Watch::writeMonthly() {
    if (pending_.fromHour && request_.rmobMonthly) {
        std::vector<RmobMonthlyFile> files;
        for (const RmobMonthTable& table :
             buildRmobMonthTables(live_.hours(), *pending_.fromHour)) {
            files.push_back(rmobMonthlyFile(table, request_.station));
        }
        writer_.writeRmobMonthlyFiles(files);
    }
    pending_.fromHour.reset();
    const std::vector<ColorgrammeMonth>& months = live_.colorgrammes();
    if (pending_.fromMonth && request_.colorgrammes && *pending_.fromMonth < months.size()) {
        writer_.writeColorgrammes(
            {months.begin() + static_cast<std::ptrdiff_t>(*pending_.fromMonth), months.end()},
            request_.manualMaximum);
    }
    pending_.fromMonth.reset();
}

void Watch::look() {
    LiveUpdate update;
    try {
        update = live_.update();
    } catch (const IoError& e) {
        if (readError_ != e.what()) {
            readError_ = e.what();
            note(readError_ + " (trying again)");
        }
        return;
    }
    if (!readError_.empty() && update.file.state != FileState::Missing) {
        readError_.clear();
        note("'" + request_.dataFile + "' can be read again");
    }
    if (const auto text = fileNote(update.file, request_.dataFile);
        text && (update.file.state != FileState::Missing || !missing_)) {
        note(*text);
    }
    missing_ = update.file.state == FileState::Missing;
    if (update.linesRead > 0) {
        noteHealth(health_.linesArrived(WallClock::now(), live_.lastSlot()));
    }
    linesNotWritten_ += update.linesRead;
    pending_.add(update);
    if (!pending_.any()) {
        return;
    }
    try {
        writePending();
        writeError_.clear();
    } catch (const IoError& e) {
        if (writeError_ != e.what()) {
            writeError_ = e.what();
            note(writeError_ + " (trying again)");
        }
        return;
    }
    const std::size_t lines = std::exchange(linesNotWritten_, 0);
    printLine(stdout, "Updated=" + std::to_string(lines) + (lines == 1 ? " line" : " lines") +
                          ", last slot " + slotText(live_.lastSlot()));
}

void Watch::noteHealth(HealthChange change) const {
    if (change == HealthChange::Stalled) {
        printLine(stderr, "Stalled=no line since " + wallTimeText(health_.lastArrival()) +
                              ", last slot " + slotText(health_.lastSlot()));
    } else if (change == HealthChange::Resumed) {
        printLine(stderr, "Resumed=lines again at " + wallTimeText(health_.lastArrival()) +
                              ", last slot " + slotText(health_.lastSlot()));
    }
}

milliseconds Watch::sleepTime() const {
    milliseconds sleep = request_.pollEvery;
    if (!health_.stalled()) {
        // One tick past the stall time: check() wants it passed, not reached.
        const auto untilStall =
            std::chrono::ceil<milliseconds>(health_.stallTime() - WallClock::now()) +
            milliseconds(1);
        sleep = std::clamp(untilStall, milliseconds(0), sleep);
    }
    return sleep;
}

void Watch::follow() {
    while (wakeups_.wait(sleepTime()) != WakeReason::Stop) {
        look();
        noteHealth(health_.check(WallClock::now()));
    }
}

} // namespace

int runWatch(const WatchRequest& request) {
    // Taken before the first read, so that nothing appended during it is missed.
    Wakeups wakeups(request.dataFile);
    try {
        Watch watch(request, wakeups);
        watch.start();
        watch.follow();
    } catch (const RunCancelled&) {
        // Stopped during a reading from the start: the outputs are the last
        // ones written, whole.
    }
    return 0;
}
