// The run that follows a growing data file. The invariant: after every
// update, every result equals a full run over the file's bytes up to the
// end of its last complete line, and copies of the results that take only
// the updates' splices (as a window's pages do) equal them too. Checked over
// random split points of real and made-up files, splits inside lines and
// between CR and LF included, and over a recorder's mishaps.
//
// VELK_LIVE_EXTRA_DATA may name more data files (separated by ':') for the
// property test, such as a station's real data kept outside the repository.

#include "pipeline/LiveRun.h"

#include "reports/Colorgramme.h"
#include "shared/IoError.h"

#include "SimulatedRecorder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

namespace {

// The bytes up to the end of the last complete line, by the plain rule: LF,
// CR LF and a CR followed by another byte end a line; a CR as the last byte
// may be the first half of a CR LF.
std::size_t completePrefix(const std::string& bytes) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            end = i + 1;
        } else if (bytes[i] == '\r' && i + 1 < bytes.size()) {
            i += bytes[i + 1] == '\n' ? 1 : 0;
            end = i + 1;
        }
    }
    return end;
}

std::string summaryText(const Summary& s) {
    std::string text = s.firstLine + "|" + s.firstSlot + "|" + s.lineCount + "|" + s.rowCount +
                       "|" + s.lastLine + "|" + s.lastSlot + "|" + s.rejectedCount + "|" +
                       s.gapCount;
    if (s.endMark) {
        text += "|" + std::to_string(s.endMark->line) + ":" + std::to_string(s.endMark->byte);
    }
    return text;
}

std::string hoursText(const UtHourList& hours) {
    std::string text =
        std::to_string(hours.utOffsetHours()) + "," + std::to_string(hours.noiseMinutes()) + "\n";
    for (const UtHour& h : hours.hours()) {
        text += hourLine(*h.row) + "|" + std::to_string(h.ut.time_since_epoch().count()) + "|" +
                std::to_string(static_cast<int>(h.state)) + "\n";
    }
    return text;
}

std::string monthsText(const std::vector<ColorgrammeMonth>& months) {
    std::ostringstream text;
    for (const ColorgrammeMonth& m : months) {
        text << m.year << '/' << m.month << ' ' << m.daysInMonth << ' ' << m.maximum << '\n';
        for (const auto& day : m.cells) {
            for (const ColorgrammeCell& c : day) {
                text << static_cast<int>(c.state) << ',' << c.value << ','
                     << (c.localHour ? c.localHour->time_since_epoch().count() : -1) << ','
                     << c.observedMinutes << ',' << c.remark << ';';
            }
        }
        for (std::int64_t total : m.dailyTotals) {
            text << total << ' ';
        }
        text << '\n';
    }
    return text.str();
}

std::string linesText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// Where two texts first differ, with a little of each around it.
void expectSameText(const char* what, const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return;
    }
    const auto at = static_cast<std::size_t>(
        std::mismatch(actual.begin(),
                      actual.begin() +
                          static_cast<std::ptrdiff_t>(std::min(actual.size(), expected.size())),
                      expected.begin())
            .first -
        actual.begin());
    const std::size_t from = at < 80 ? 0 : at - 80;
    ADD_FAILURE() << what << " differs at byte " << at << " (sizes " << actual.size() << " and "
                  << expected.size() << ")\n  live: [" << actual.substr(from, 200) << "]\n  full: ["
                  << expected.substr(from, 200) << "]";
}

// Copies of the results that only the updates' splices bring up to date.
struct Pages {
    std::string tenMinuteTable, hourTable, noObsList, dataBytes;
    std::vector<std::string> textReport, rmob;
    UtHourList hours;

    void take(const LiveUpdate& update, const LiveRun& live) {
        applyChange(tenMinuteTable, update.tenMinuteTable, live.tenMinuteTable());
        applyChange(hourTable, update.hourTable, live.hourTable());
        applyChange(noObsList, update.noObsList, live.noObsList());
        applyChange(dataBytes, update.dataBytes, live.dataBytes());
        applyChange(textReport, update.textReport, live.textReport());
        applyChange(rmob, update.rmob, live.rmob());
        if (!update.hours.empty()) {
            ASSERT_EQ(update.hours.size(), 1u);
            const Splice& s = update.hours[0];
            ASSERT_EQ(s.from + s.removed, hours.hours().size()); // the tail, to its end
            hours = std::move(hours).withTail(
                s.from, std::span(live.hours().table().rows()).subspan(s.from, s.inserted));
        }
    }
};

struct LiveFixture : ::testing::Test {
    TempDir dir;
    SimulatedRecorder recorder{dir.file("velkdata.csv")};
    Settings settings;
    std::vector<std::string> liveMessages;
    std::unique_ptr<LiveRun> live;
    Pages pages;

    void SetUp() override {
        setDefaultSettings(settings);
        start();
    }
    void start() {
        LiveRequest request;
        request.dataFile = recorder.path();
        request.settings = settings;
        request.colorgrammes = true;
        request.keepDataBytes = true;
        request.onMessage = [this](const std::string& m) { liveMessages.push_back(m); };
        live = std::make_unique<LiveRun>(request);
        pages = Pages{};
        pages.hours = UtHourList(std::make_shared<const HourTable>(), settings.utOffsetHours,
                                 settings.noiseMinutes);
    }
    LiveUpdate update() {
        LiveUpdate u = live->update();
        pages.take(u, *live);
        return u;
    }

    // Every result equals a full run over the complete lines, and so do the pages.
    void expectFullRun() {
        const std::string prefix = recorder.bytes().substr(0, completePrefix(recorder.bytes()));
        const std::string prefixFile = dir.file("prefix.csv");
        writeFile(prefixFile, prefix);
        RunRequest request;
        request.dataFile = prefixFile;
        request.settings = settings;
        request.keepDataBytes = true;
        request.onMessage = [](const std::string&) {};
        const RunResult full = runReport(request);
        expectSameText("ten-minute table", live->tenMinuteTable(), full.tenMinuteTable);
        expectSameText("hourly table", live->hourTable(), full.hourTable);
        expectSameText("no-observation list", live->noObsList(), full.noObsList);
        expectSameText("text report", linesText(live->textReport()), linesText(full.textReport));
        expectSameText("RMOB tables", linesText(live->rmob()), linesText(full.rmob));
        expectSameText("summary", summaryText(live->summary()), summaryText(full.summary));
        expectSameText("rejected lines", linesText(live->rejectedLines()),
                       linesText(full.rejectedLines));
        expectSameText("hours", hoursText(live->hours()), hoursText(full.hours));
        expectSameText("colorgrammes", monthsText(live->colorgrammes()),
                       monthsText(buildColorgrammes(full.hours)));
        expectSameText("data bytes", live->dataBytes(), *full.dataBytes);
        expectSameText("ten-minute page", pages.tenMinuteTable, full.tenMinuteTable);
        expectSameText("hourly page", pages.hourTable, full.hourTable);
        expectSameText("no-observation page", pages.noObsList, full.noObsList);
        expectSameText("text report page", linesText(pages.textReport), linesText(full.textReport));
        expectSameText("RMOB page", linesText(pages.rmob), linesText(full.rmob));
        expectSameText("hours kept by splices", hoursText(pages.hours), hoursText(full.hours));
        expectSameText("data page", pages.dataBytes, *full.dataBytes);
    }

    // Appends the file in the pieces the split points make, checking each.
    void followInPieces(const std::string& bytes, std::vector<std::size_t> splits) {
        splits.push_back(bytes.size());
        std::sort(splits.begin(), splits.end());
        std::size_t done = 0;
        for (std::size_t split : splits) {
            if (split <= done) {
                continue;
            }
            SCOPED_TRACE("bytes up to " + std::to_string(split));
            recorder.append(bytes.substr(done, split - done));
            done = split;
            update();
            expectFullRun();
            if (HasFailure()) {
                return;
            }
        }
    }
};

// Random split points, and some right after the CR of a CR LF.
std::vector<std::size_t> splitPoints(const std::string& bytes, std::uint32_t seed, int count) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> splits;
    for (int i = 0; i < count && bytes.size() > 1; ++i) {
        splits.push_back(1 + rng() % (bytes.size() - 1));
    }
    for (std::size_t at = bytes.find("\r\n"), n = 0; at != std::string::npos && n < 4;
         at = bytes.find("\r\n", at + 1 + rng() % 5000), ++n) {
        splits.push_back(at + 1);
    }
    return splits;
}

// A station's file with every case a full read handles: duplicate slots,
// gaps, unreadable and implausible lines, blank lines, rows out of order or
// years ahead, partial and noise hours, counts that widen a report column
// late, both date forms, lone CR and lone LF line ends, and if asked a
// Ctrl-Z followed by more lines. It crosses a year's end.
std::string madeUpData(std::uint32_t seed, bool endMark) {
    std::mt19937 rng(seed);
    std::string text = "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,Remark\r\n";
    Timestamp t = *makeTimestamp(2004, 12, 30, 17, 0, 0);
    Timestamp last = t;
    const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
    const auto row = [&](Timestamp at, int echo, int minutes, const std::string& remark) {
        return "r.dat," + reportTimeText(at) + ":00," + std::to_string(echo) + "," +
               std::to_string(echo % 4) + "," + std::to_string(echo % 3) + "," +
               std::to_string(minutes) + "," + remark;
    };
    for (int i = 0; i < 900; ++i) {
        std::string line;
        switch (rng() % 40) {
        case 0:
            t += (1 + static_cast<int>(rng() % 30)) * kSlotLength;
            continue; // a gap
        case 1:
            line = row(last, 3, 10, "dup");
            break;
        case 2:
            line = "garbage " + std::to_string(i);
            break;
        case 3:
            line = row(t, 5, 0, "");
            break; // implausible
        case 4:
            break; // blank
        case 5:
            line = row(last - std::chrono::hours(1), 1, 10, "");
            break;
        case 6:
            line = row(t + std::chrono::hours(24 * 366 * 11), 1, 10, "");
            break;
        case 7:
            line = "r.dat," + reportTimeText(t).substr(0, 10) + "," + reportTimeText(t).substr(11) +
                   ":00,7,1,0,10,";
            last = t;
            t += kSlotLength;
            break;
        case 8:
            line = row(t, 2, 3, "ab");
            last = t;
            t += kSlotLength;
            break;
        case 9:
            line = row(t, 0, 0, "NoObserve");
            last = t;
            t += kSlotLength;
            break;
        default:
            line = row(t, i > 600 && rng() % 50 == 0 ? 12345 : static_cast<int>(rng() % 40), 10,
                       rng() % 9 == 0 ? "rain" : "");
            last = t;
            t += kSlotLength;
        }
        if (endMark && i == 800) {
            line.insert(line.size() / 2, "\x1A");
        }
        text += line + ends[rng() % 5];
    }
    return text;
}

std::vector<std::string> dataFiles() {
    std::vector<std::string> files = {VELK_EXAMPLES_DIR "/velkdata.csv",
                                      VELK_TEST_DATA_DIR "/small/velkdata.csv"};
    if (const char* extra = std::getenv("VELK_LIVE_EXTRA_DATA")) {
        std::stringstream list(extra);
        for (std::string name; std::getline(list, name, ':');) {
            if (!name.empty()) {
                files.push_back(name);
            }
        }
    }
    return files;
}

Settings otherSettings() {
    Settings s;
    setDefaultSettings(s);
    s.utOffsetHours = 0;
    s.noiseMinutes = 0;
    s.percentRates = false;
    s.reportLongEcho = false;
    s.reportOtherData = true;
    s.rmobOtherData = true;
    s.tenMinuteHeaderLine = false;
    s.hourHeaderLine = false;
    return s;
}

} // namespace

using LiveRun_ = LiveFixture;

TEST_F(LiveRun_, EveryUpdateEqualsAFullRunOfTheCompleteLines) {
    struct Case {
        std::string name, bytes;
    };
    std::vector<Case> cases;
    for (const std::string& file : dataFiles()) {
        cases.push_back({file, readFile(file)});
    }
    cases.push_back({"made up", madeUpData(7, false)});
    cases.push_back({"made up with a Ctrl-Z", madeUpData(11, true)});
    std::uint32_t seed = 1;
    for (const Case& c : cases) {
        for (const Settings& s : {settings, otherSettings()}) {
            SCOPED_TRACE(c.name + (s.utOffsetHours == 0 ? ", other settings" : ""));
            settings = s;
            recorder.replace("");
            start();
            followInPieces(c.bytes, splitPoints(c.bytes, ++seed, 24));
            if (HasFailure()) {
                return;
            }
        }
    }
}

// Byte by byte through CR LF, lone CR and lone LF ends and a line in halves;
// each implausible line's message comes once, as in a full read.
TEST_F(LiveRun_, ByteByByteEveryLineEndWaitsUntilItIsKnown) {
    std::string bytes = madeUpData(3, false).substr(0, 6000);
    bytes = bytes.substr(0, completePrefix(bytes)) + "\n";
    std::vector<std::size_t> splits(bytes.size());
    for (std::size_t i = 0; i < splits.size(); ++i) {
        splits[i] = i + 1;
    }
    // Most of it at once, the last 300 bytes one by one.
    followInPieces(bytes, std::vector<std::size_t>(splits.end() - 300, splits.end()));
    std::vector<std::string> fullMessages;
    RunRequest request;
    request.dataFile = recorder.path();
    request.settings = settings;
    request.onMessage = [&](const std::string& m) { fullMessages.push_back(m); };
    runReport(request);
    EXPECT_EQ(liveMessages, fullMessages);
}

// A recorder's night: half lines, a CR LF in two writes, pauses, a second
// line for a slot, a gap, a bad line; then the file cut short, changed in
// place, replaced, removed and back. Each time the results are a full run's,
// an appended line touches only the tail, and the update says what happened.
TEST_F(LiveRun_, RecorderMishapsAreFollowedOrReadAgain) {
    const auto line = [](int minute, int echo) {
        return "r.dat,2024/12/31 " + std::string(minute < 60 ? "22:" : "23:") +
               (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60) + ":00," +
               std::to_string(echo) + ",1,0,10,";
    };
    std::string start = "#head\r\n";
    for (int m = 0; m < 60; m += 10) {
        start += line(m, m) + "\r\n";
    }
    recorder.replace(start);
    LiveUpdate u = update();
    EXPECT_EQ(u.file.state, FileState::ReadAgain);
    EXPECT_EQ(u.file.cause, ReadAgainCause::FirstRead);
    EXPECT_EQ(u.linesRead, 7u);
    expectFullRun();

    const std::string next = line(60, 4);
    recorder.append(next.substr(0, 10));
    EXPECT_FALSE(update().changed()); // half a line waits
    recorder.append(next.substr(10) + "\r");
    EXPECT_FALSE(update().changed());                     // so does a CR that may be half a CR LF
    EXPECT_EQ(update().file.state, FileState::Unchanged); // a pause
    recorder.append("\n");
    const std::size_t tableBefore = live->tenMinuteTable().size();
    u = update();
    EXPECT_EQ(u.linesRead, 1u);
    expectFullRun();
    // Only the tail changed: the last slot's line went, two came.
    ASSERT_EQ(u.tenMinuteTable.size(), 1u);
    EXPECT_GT(u.tenMinuteTable[0].from, tableBefore - 200);
    ASSERT_EQ(u.hours.size(), 1u);
    EXPECT_EQ(u.hours[0].from, 0u);

    recorder.append(line(60, 5) + "\r\n"); // the same slot again: merged
    update();
    expectFullRun();
    EXPECT_EQ(live->summary().rowCount, "7");
    recorder.append(line(100, 6) + "\r\nnot a line\r\n"); // a gap, then a bad line
    u = update();
    expectFullRun();
    EXPECT_EQ(u.noObsList.size(), 2u); // the bad line in front, the gap slots at the end
    EXPECT_EQ(live->summary().gapCount, "3");

    recorder.truncate(recorder.bytes().size() - 20);
    u = update();
    EXPECT_EQ(u.file.state, FileState::ReadAgain);
    EXPECT_EQ(u.file.cause, ReadAgainCause::Shrunk);
    expectFullRun();

    recorder.rewrite(start.size() - 5, "9");
    recorder.append("\r\n" + line(110, 1) + "\r\n");
    u = update();
    EXPECT_EQ(u.file.cause, ReadAgainCause::Changed);
    expectFullRun();

    recorder.replace(start.substr(0, 40) + "\r\n");
    u = update();
    EXPECT_EQ(u.file.cause, ReadAgainCause::Replaced);
    expectFullRun();

    const std::string kept = live->tenMinuteTable();
    recorder.remove();
    u = update();
    EXPECT_EQ(u.file.state, FileState::Missing);
    EXPECT_EQ(live->tenMinuteTable(), kept); // the last results stay
    recorder.restore();
    recorder.append(line(120, 2) + "\r\n");
    u = update();
    EXPECT_TRUE(u.file.back);
    expectFullRun();
}

TEST_F(LiveRun_, AFileThatCannotBeReadIsAnIoErrorAndIsReadAgainAfter) {
    recorder.replace("r.dat,2024/12/31 22:00:00,1,0,0,10,\r\n");
    update();
    recorder.remove();
    std::filesystem::create_directory(recorder.path());
    EXPECT_THROW(live->update(), IoError);
    std::filesystem::remove(recorder.path());
    recorder.restore();
    const LiveUpdate u = update();
    EXPECT_EQ(u.file.state, FileState::ReadAgain);
    expectFullRun();
}
