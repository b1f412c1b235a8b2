// The run: a request in, the summary, the rejected lines, the texts of the
// outputs and the hours out, no file written.

#include "pipeline/Run.h"

#include "shared/IoError.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <unistd.h>

namespace {

const char* kData = "#head\r\n"
                    "a.dat,2004/01/05 09:30:00,12,3,1,10,\r\n"
                    "d.dat,2004/01/05 10:10:00,7,0,2,10,\r\n";

// A page's lines as their file holds them: each ended by CR LF, then one more.
std::string pageText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text + "\r\n";
}

// The summary as the command line prints it.
std::string summaryText(const Summary& s) {
    return "StartData=" + s.firstLine + "\nStartDay=" + s.firstSlot + "\nInData=" + s.lineCount +
           "\nAllData=" + s.rowCount + "\nEndData=" + s.lastLine + "\nEndDay=" + s.lastSlot +
           "\nNGData=" + s.rejectedCount + "\nNotData=" + s.gapCount + "\n";
}

// Some 30,000 slots, a few of them missing: many batches of the table and
// many progress reports while the file is read.
std::string longData() {
    std::string text = "#head\r\n";
    const Timestamp start = *makeTimestamp(2004, 1, 5, 0, 0, 0);
    for (int i = 0; i < 30000; ++i) {
        if (i % 97 != 5) {
            text += "long-file.dat," + reportTimeText(start + i * kSlotLength) + ":00," +
                    std::to_string(i % 13) + ",1,0,10," + (i % 3 == 0 ? "x" : "") + "\r\n";
        }
    }
    return text;
}

struct RunFixture : ::testing::Test {
    TempDir dir;
    RunRequest request;
    std::vector<std::string> messages;

    void SetUp() override {
        setDefaultSettings(request.settings);
        request.dataFile = dir.file("velkdata.csv");
        request.onMessage = [this](const std::string& text) { messages.push_back(text); };
        writeFile(request.dataFile, kData);
    }
    // The files in the scratch folder: the data file alone after a run.
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()));
    }
};

} // namespace

using runReport_ = RunFixture;

TEST_F(runReport_, SampleDataGiveTheExpectedOutputs) {
    for (const auto& [data, expected] :
         {std::pair{std::string(VELK_EXAMPLES_DIR "/velkdata.csv"),
                    std::string(VELK_TEST_DATA_DIR "/sample-expected/")},
          std::pair{std::string(VELK_TEST_DATA_DIR "/small/velkdata.csv"),
                    std::string(VELK_TEST_DATA_DIR "/small/")}}) {
        SCOPED_TRACE(data);
        request.dataFile = data;
        const RunResult result = runReport(request);
        EXPECT_EQ(result.tenMinuteTable, readFile(expected + "report10.csv"));
        EXPECT_EQ(result.hourTable, readFile(expected + "report60.csv"));
        EXPECT_EQ(result.noObsList, readFile(expected + "NoObsList.txt"));
        EXPECT_EQ(pageText(result.textReport), readFile(expected + "velkreport.txt"));
        EXPECT_EQ(pageText(result.rmob), readFile(expected + "rmob.txt"));
        EXPECT_EQ(summaryText(result.summary), readFile(expected + "summary.txt"));
        EXPECT_EQ(result.hours.table().text(true), result.hourTable);
        EXPECT_EQ(result.hours.utOffsetHours(), request.settings.utOffsetHours);
    }
    // Each file's implausible line, shown as it was read.
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].ends_with("[ e.dat,2004/01/05 10:20:00,0,1,0,0, ]"));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(runReport_, SummaryCountsLinesRowsGapsAndRejects) {
    const RunResult result = runReport(request);
    EXPECT_EQ(result.summary.firstLine, "#head");
    EXPECT_EQ(result.summary.firstSlot, "2004/01/05 09:30");
    EXPECT_EQ(result.summary.lineCount, "3");
    EXPECT_EQ(result.summary.rowCount, "5"); // 09:30, three gaps, 10:10
    EXPECT_EQ(result.summary.lastLine, "d.dat,2004/01/05 10:10:00,7,0,2,10,");
    EXPECT_EQ(result.summary.lastSlot, "2004/01/05 10:10");
    EXPECT_EQ(result.summary.rejectedCount, "1");
    EXPECT_EQ(result.summary.gapCount, "3");
    EXPECT_EQ(result.rejectedLines, std::vector<std::string>{"#head"});
    EXPECT_EQ(result.hours.hours().size(), 2u);
    EXPECT_FALSE(result.dataBytes);
}

TEST_F(runReport_, FileWithoutRowsRunsToTheEndWithEmptyTimes) {
    writeFile(request.dataFile, "#only a heading\r\n\r\nnot a line\r\n");
    const RunResult result = runReport(request);
    EXPECT_EQ(result.summary.firstSlot, "");
    EXPECT_EQ(result.summary.lastSlot, "");
    EXPECT_EQ(result.summary.rowCount, "0");
    EXPECT_EQ(result.summary.rejectedCount, "2");
    EXPECT_EQ(result.noObsList, "#only a heading\r\nnot a line\r\n");
    EXPECT_TRUE(result.hours.empty());
}

TEST_F(runReport_, OnlyTheOutputsAskedForAreMade) {
    request.outputs = {Output::HourTable};
    request.keepDataBytes = true;
    const RunResult result = runReport(request);
    EXPECT_FALSE(result.hourTable.empty());
    EXPECT_TRUE(result.tenMinuteTable.empty());
    EXPECT_TRUE(result.noObsList.empty());
    EXPECT_TRUE(result.textReport.empty());
    EXPECT_TRUE(result.rmob.empty());
    EXPECT_EQ(result.summary.rowCount, "5");
    ASSERT_TRUE(result.dataBytes);
    EXPECT_EQ(*result.dataBytes, kData);
}

// With a sink the table goes there in pieces, in order, as the rows are read,
// and not into the result.
TEST_F(runReport_, TenMinuteTableSinkGetsExactlyTheTable) {
    writeFile(request.dataFile, longData());
    for (bool header : {true, false}) {
        request.settings.tenMinuteHeaderLine = header;
        request.tenMinuteTableSink = {};
        const std::string whole = runReport(request).tenMinuteTable;
        std::string pieces;
        std::size_t count = 0;
        request.tenMinuteTableSink = [&](std::string_view piece) {
            pieces += piece;
            ++count;
        };
        const RunResult result = runReport(request);
        EXPECT_EQ(pieces, whole);
        EXPECT_GT(count, 3u);
        EXPECT_TRUE(result.tenMinuteTable.empty());
        EXPECT_EQ(whole.starts_with("#FileName,"), header);
    }
}

// The steps a run names, in order, each with the share done; a stop asked at
// any check ends the run with RunCancelled and nothing written.
TEST_F(runReport_, ProgressClimbsAndCancelStopsAtEveryCheck) {
    writeFile(request.dataFile, longData());
    std::vector<std::pair<RunStep, double>> reports;
    request.onProgress = [&](RunStep step, double f) { reports.emplace_back(step, f); };
    runReport(request);
    ASSERT_GE(reports.size(), 5u);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.front(), std::pair(RunStep::Reading, 0.0));
    EXPECT_EQ(reports.back(), std::pair(RunStep::Done, 1.0));

    const std::size_t checks = reports.size();
    for (std::size_t stopAt = 1; stopAt <= checks; ++stopAt) {
        std::size_t calls = 0;
        request.cancelRequested = [&] { return ++calls == stopAt; };
        request.tenMinuteTableSink = [](std::string_view) {};
        EXPECT_THROW(runReport(request), RunCancelled) << stopAt;
        EXPECT_EQ(calls, stopAt);
        EXPECT_EQ(filesInFolder(), 1u);
    }
}

TEST_F(runReport_, MissingUnreadableAndFolderFilesAreNamed) {
    std::vector<std::string> names = {dir.file("absent.csv"), dir.path().string(),
                                      // Reading the process's own memory from offset 0
                                      // fails for everyone, root included, after the
                                      // open has worked.
                                      "/proc/self/mem"};
    if (geteuid() != 0) { // permission bits do not stop root
        names.push_back(dir.file("locked.csv"));
        writeFile(names.back(), kData);
        std::filesystem::permissions(names.back(), std::filesystem::perms::none);
    }
    for (const std::string& name : names) {
        request.dataFile = name;
        try {
            runReport(request);
            ADD_FAILURE() << "no error for " << name;
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("'" + name + "'"), std::string::npos) << e.what();
        }
    }
}

// Runs share nothing: two at once on their own threads give what one gives.
TEST_F(runReport_, RunsOnTwoThreadsAtOnce) {
    writeFile(request.dataFile, longData());
    request.onMessage = {};
    const RunResult alone = runReport(request);
    RunResult results[2];
    std::thread first([&] { results[0] = runReport(request); });
    std::thread second([&] { results[1] = runReport(request); });
    first.join();
    second.join();
    for (const RunResult& r : results) {
        EXPECT_EQ(r.tenMinuteTable, alone.tenMinuteTable);
        EXPECT_EQ(r.hourTable, alone.hourTable);
        EXPECT_EQ(r.textReport, alone.textReport);
        EXPECT_EQ(r.rmob, alone.rmob);
        EXPECT_EQ(r.noObsList, alone.noObsList);
    }
}
