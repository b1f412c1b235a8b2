#include "pipeline/Recompute.h"

#include "config/ProgramInfo.h"

#include "shared/CodePage.h"
#include "shared/DateTime.h"
#include "shared/IoError.h"
#include "shared/Messages.h"

#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <map>

namespace {

// Records what the pipeline shows, reading each loaded file at once as a
// window does (the temporary file is gone afterwards).
class FakeView : public RecomputeView {
public:
    std::string dataFileName;
    std::vector<std::string> captions;
    std::string raw;
    std::map<Page, std::string> pages;
    Summary summary;
    std::vector<std::string> textReport{"Report View"};
    std::vector<std::string> rmob{"RMOB_View"};
    int textReportBuilds = 0;

    void setDataFileName(const std::string& name) override { dataFileName = name; }
    void setRecomputeCaption(const std::string& c) override { captions.push_back(c); }
    void showRawData(const std::shared_ptr<const std::string>& bytes) override { raw = *bytes; }
    void clearPage(Page p) override { pages[p].clear(); }
    void loadPage(Page p, const std::string& name) override { pages[p] = readFile(name); }
    void showTenMinuteTable(const std::shared_ptr<const std::string>& bytes) override {
        pages[Page::TenMinuteTable] = *bytes;
    }
    void setSummary(const Summary& s) override { summary = s; }
    std::vector<std::string> textReportLines() override { return textReport; }
    void setTextReportLines(std::vector<std::string> l) override {
        textReport = std::move(l);
        ++textReportBuilds;
    }
    std::vector<std::string> rmobLines() override { return rmob; }
    void setRmobLines(std::vector<std::string> l) override { rmob = std::move(l); }
};

const char* kData = "#head\r\n"
                    "a.dat,2004/01/05 09:30:00,12,3,1,10,\r\n"
                    "d.dat,2004/01/05 10:10:00,7,0,2,10,\r\n";

struct RecomputeFixture : ::testing::Test {
    TempDir dir;
    ChangeDir inDir{dir.path()};
    Workspace ws;
    TenMinuteTable& csv = ws.rows;
    HourTable& report = ws.hours;
    TextLines& noObs = ws.noObsLines;
    Settings& cnf = ws.settings;
    bool& reportDirty = ws.textReportStale;
    FakeView view;
    Recompute recompute{ws, view};

    void SetUp() override {
        cnf = Settings{};
        reportDirty = true;
        ws.onMessage = [](const std::string&) {};
        cnf.tenMinuteHeaderLine = cnf.hourHeaderLine = cnf.reportLongEcho = cnf.percentRates = true;
        cnf.noiseMinutes = 20;
        cnf.utOffsetHours = -9;
        writeFile("velkdata.csv", kData);
    }
};

} // namespace

using RecomputeRun = RecomputeFixture;

TEST_F(RecomputeRun, ShownOnlyTablesLeaveNoFilesBehind) {
    ASSERT_TRUE(recompute.recompute("velkdata.csv"));
    EXPECT_FALSE(std::filesystem::exists("report10.csv"));
    EXPECT_FALSE(std::filesystem::exists("report60.csv"));
    EXPECT_FALSE(std::filesystem::exists("velkreport.txt"));
    EXPECT_FALSE(std::filesystem::exists("rmob.txt"));
    EXPECT_FALSE(std::filesystem::exists("TMPReport.$$$"));
    EXPECT_TRUE(std::filesystem::exists("NoObsList.txt"));
    EXPECT_NE(view.pages[Page::TenMinuteTable].find("d.dat,2004/01/05 10:10"), std::string::npos);
    EXPECT_NE(view.pages[Page::HourTable].find("2004010510,7,0,2,"), std::string::npos);
    EXPECT_EQ(view.pages[Page::NoObsList], readFile("NoObsList.txt"));
    EXPECT_EQ(view.raw, kData);
    EXPECT_EQ(view.captions,
              (std::vector<std::string>{utf8ToCp932("計算中"), utf8ToCp932("再計算")}));
    // Both pages are left to be built when next shown.
    EXPECT_TRUE(reportDirty);
    EXPECT_TRUE(ws.rmobStale);
    EXPECT_EQ(view.textReportBuilds, 0);
}

TEST_F(RecomputeRun, SummaryCountsLinesRowsGapsAndRejects) {
    recompute.recompute("velkdata.csv");
    EXPECT_EQ(view.summary.firstLine, "#head");
    EXPECT_EQ(view.summary.firstSlot, "2004/01/05 09:30");
    EXPECT_EQ(view.summary.lineCount, "3");
    EXPECT_EQ(view.summary.rowCount, "5"); // 09:30, three gaps, 10:10
    EXPECT_EQ(view.summary.lastLine, "d.dat,2004/01/05 10:10:00,7,0,2,10,");
    EXPECT_EQ(view.summary.lastSlot, "2004/01/05 10:10");
    EXPECT_EQ(view.summary.rejectedCount, "1");
    EXPECT_EQ(view.summary.gapCount, "3");
}

TEST_F(RecomputeRun, MissingFileOnlyShowsTheName) {
    EXPECT_FALSE(recompute.recompute("absent.csv"));
    EXPECT_EQ(view.dataFileName, "absent.csv");
    EXPECT_TRUE(view.captions.empty());
    EXPECT_FALSE(std::filesystem::exists("NoObsList.txt"));
}

TEST_F(RecomputeRun, FileWithoutRowsRunsToTheEndWithEmptyTimes) {
    writeFile("bad.csv", "#only a heading\r\n\r\nnot a line\r\n");
    ASSERT_TRUE(recompute.recompute("bad.csv"));
    EXPECT_EQ(view.summary.firstSlot, "");
    EXPECT_EQ(view.summary.lastSlot, "");
    EXPECT_EQ(view.summary.rowCount, "0");
    EXPECT_EQ(view.summary.rejectedCount, "2");
    EXPECT_EQ(readFile("NoObsList.txt"), "#only a heading\r\nnot a line\r\n");
}

TEST_F(RecomputeRun, AlwaysWriteSettingsWriteEveryOutputWithBackups) {
    cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable = cnf.alwaysWriteTextReport =
        cnf.alwaysWriteRmob = true;
    writeFile("report10.csv", "old");
    recompute.recompute("velkdata.csv");
    EXPECT_EQ(readFile("report10.bak"), "old");
    for (const char* f : {"report10.csv", "report60.csv", "velkreport.txt", "rmob.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
    }
    EXPECT_FALSE(reportDirty);
    EXPECT_FALSE(ws.rmobStale);
    EXPECT_EQ(view.textReportBuilds, 1);
}

TEST_F(RecomputeRun, FailedWriteEndsTheRunAndRestoresTheCaption) {
    cnf.alwaysWriteTenMinuteTable = true;
    std::filesystem::create_directory("report10.csv");
    EXPECT_THROW(recompute.recompute("velkdata.csv"), IoError);
    ASSERT_EQ(view.captions.size(), 2u);
    EXPECT_EQ(view.captions.back(), utf8ToCp932("再計算"));
    EXPECT_EQ(view.summary.rowCount, "5"); // finished steps remain
}

TEST_F(RecomputeRun, SecondRunReplacesEverything) {
    recompute.recompute("velkdata.csv");
    writeFile("velkdata.csv", "a.dat,2004/01/05 09:30:00,1,0,0,10,\r\n");
    recompute.recompute("velkdata.csv");
    EXPECT_EQ(view.summary.rowCount, "1");
    EXPECT_EQ(view.summary.rejectedCount, "0");
    EXPECT_EQ(readFile("NoObsList.txt"), "");
}

// The steps a run names, in order, each with the share done; the last is 1.
TEST_F(RecomputeRun, ProgressClimbsToItsEnd) {
    std::vector<double> fractions;
    Progress progress;
    progress.report = [&](const std::string&, double f) { fractions.push_back(f); };
    Recompute(ws, view, progress).recompute("velkdata.csv");
    ASSERT_GE(fractions.size(), 5u);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_EQ(fractions.front(), 0.0);
    EXPECT_EQ(fractions.back(), 1.0);
}

// A stop asked for at any step before the outputs leaves the rows, the hours,
// the no-observation list, the pages and the files of the run before.
TEST_F(RecomputeRun, CancelAtAnyStepLeavesThePreviousRun) {
    cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable = true;
    recompute.recompute("velkdata.csv");
    const std::string report10 = readFile("report10.csv");
    const std::string noObs = readFile("NoObsList.txt");
    const FakeView before = view;
    const std::string firstRow = tenMinuteRowText(*csv.top);
    const std::int64_t firstHourEchoes = report.top->echo;
    writeFile("velkdata.csv", "a.dat,2004/01/05 09:30:00,1,0,0,10,\r\n");
    for (int stopAt = 1;; ++stopAt) {
        int calls = 0;
        bool stopped = false;
        Progress progress;
        progress.cancelRequested = [&] { return stopped = ++calls == stopAt; };
        std::filesystem::remove("report10.bak");
        try {
            Recompute(ws, view, progress).recompute("velkdata.csv");
        } catch (const RecomputeCancelled&) {
        }
        if (!stopped) {
            break; // the run went past its last check
        }
        EXPECT_EQ(view.summary.rowCount, before.summary.rowCount) << stopAt;
        EXPECT_EQ(view.raw, before.raw) << stopAt;
        EXPECT_EQ(view.pages, before.pages) << stopAt;
        EXPECT_EQ(view.captions.back(), utf8ToCp932("再計算"));
        EXPECT_EQ(readFile("report10.csv"), report10) << stopAt;
        EXPECT_EQ(readFile("NoObsList.txt"), noObs) << stopAt;
        EXPECT_FALSE(std::filesystem::exists("report10.bak")) << stopAt;
        EXPECT_EQ(tenMinuteRowText(*csv.top), firstRow) << stopAt;
        EXPECT_EQ(report.top->echo, firstHourEchoes) << stopAt;
    }
    // Without a stop the new data replace the old.
    EXPECT_EQ(view.summary.rowCount, "1");
}

// A file long enough for the passes over it to report and check within
// themselves: a stop asked in the middle of reading the file, or of parsing,
// normalising and folding its lines, leaves the previous run, and each of
// these passes reports rising shares.
TEST_F(RecomputeRun, StopWithinALongPassLeavesThePreviousRun) {
    recompute.recompute("velkdata.csv");
    const FakeView before = view;
    const std::string firstRow = tenMinuteRowText(*csv.top);
    std::string big;
    const DateTime start = parseDateTime("2004/01/05 00:00:00");
    for (int i = 0; i < 30000; ++i) { // about 1.3 MB
        big += "long-file.dat," + reportTimeText(start + i * kTenMinutes) + ",1,0,0,10,\r\n";
    }
    writeFile("velkdata.csv", big);
    // The file is read while its lines are: one pass, one step name.
    for (const char* utf8 : {"行の読み取り"}) {
        const std::string name = utf8ToCp932(utf8);
        std::vector<double> shares;
        bool stopped = false;
        Progress progress;
        progress.report = [&](const std::string& step, double f) {
            if (step == name) {
                shares.push_back(f);
            }
        };
        // The second report of the step comes from within its pass.
        progress.cancelRequested = [&] { return stopped = shares.size() == 2; };
        EXPECT_THROW(Recompute(ws, view, progress).recompute("velkdata.csv"), RecomputeCancelled)
            << utf8;
        EXPECT_TRUE(stopped) << utf8;
        EXPECT_LT(shares.front(), shares.back()) << utf8;
        EXPECT_EQ(view.summary.rowCount, before.summary.rowCount) << utf8;
        EXPECT_EQ(view.raw, before.raw) << utf8;
        EXPECT_EQ(tenMinuteRowText(*csv.top), firstRow) << utf8;
    }
    Recompute(ws, view).recompute("velkdata.csv");
    EXPECT_EQ(view.summary.rowCount, "30000");
}

// Runs that format the ten-minute rows while reading them and let them go
// (keeping the table's bytes, or writing them straight to the file) give the
// very files and pages of a run that keeps the rows, with every output asked
// for, gap rows, duplicates and set-aside lines among the data; and the
// Report10 button, the header line switched, writes the same file again.
TEST_F(RecomputeRun, RowsLetGoGiveTheSameOutputs) {
    writeFile("velkdata.csv", std::string(kData) + "e.dat,2004/01/05 10:10:00,1,1,1,10,x\r\n"
                                                   "bad line\r\n"
                                                   "f.dat,2004/01/05 09:00:00,1,0,0,10,\r\n"
                                                   "g.dat,2004/01/05 11:30:00,4,0,0,5,y");
    cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable = cnf.alwaysWriteTextReport =
        cnf.alwaysWriteRmob = true;
    const char* outputs[] = {"report10.csv", "report60.csv", "velkreport.txt", "rmob.txt",
                             "NoObsList.txt"};
    ASSERT_TRUE(recompute.recompute("velkdata.csv"));
    std::map<std::string, std::string> kept;
    for (const char* name : outputs) {
        kept[name] = readFile(name);
    }
    const FakeView keptView = view;
    cnf.tenMinuteHeaderLine = false;
    recompute.writeTenMinuteTable();
    const std::string keptWithoutHeader = readFile("report10.csv");
    cnf.tenMinuteHeaderLine = true;

    for (RowRetention retention : {RowRetention::KeepTableText, RowRetention::WriteAndRelease}) {
        Workspace other;
        other.settings = cnf;
        other.textReportStale = true;
        other.onMessage = ws.onMessage;
        FakeView otherView;
        Recompute run(other, otherView, Progress(), retention);
        ASSERT_TRUE(run.recompute("velkdata.csv"));
        for (const char* name : outputs) {
            EXPECT_EQ(readFile(name), kept[name]) << name;
        }
        EXPECT_EQ(otherView.pages, keptView.pages);
        EXPECT_EQ(otherView.summary.rowCount, keptView.summary.rowCount);
        EXPECT_EQ(otherView.summary.firstSlot, keptView.summary.firstSlot);
        EXPECT_EQ(otherView.summary.lastSlot, keptView.summary.lastSlot);
        EXPECT_EQ(otherView.summary.gapCount, keptView.summary.gapCount);
        EXPECT_EQ(otherView.summary.rejectedCount, keptView.summary.rejectedCount);
        EXPECT_EQ(other.rows.top.get(), other.rows.endNode); // no row stayed
        if (retention == RowRetention::KeepTableText) {
            other.settings.tenMinuteHeaderLine = false;
            run.writeTenMinuteTable();
            EXPECT_EQ(readFile("report10.csv"), keptWithoutHeader);
            EXPECT_EQ(otherView.pages[Page::TenMinuteTable], keptWithoutHeader);
            other.settings.tenMinuteHeaderLine = true;
            run.writeTenMinuteTable();
            EXPECT_EQ(readFile("report10.csv"), kept["report10.csv"]);
        } else {
            EXPECT_THROW(run.writeTenMinuteTable(), std::logic_error);
        }
    }
}

// Kept as bytes, a table that was only shown (not asked to be written)
// leaves no file, and a stopped run leaves the previous table on its page.
TEST_F(RecomputeRun, KeptTableIsShownWithoutFilesAndSurvivesAStop) {
    Recompute run(ws, view, Progress(), RowRetention::KeepTableText);
    ASSERT_TRUE(run.recompute("velkdata.csv"));
    EXPECT_FALSE(std::filesystem::exists("report10.csv"));
    EXPECT_FALSE(std::filesystem::exists(kTempFile));
    const std::string shown = view.pages[Page::TenMinuteTable];
    EXPECT_NE(shown.find("a.dat,2004/01/05 09:30"), std::string::npos);

    writeFile("velkdata.csv", "z.dat,2010/01/05 09:30:00,12,3,1,10,\r\n");
    Progress progress;
    progress.cancelRequested = [] { return true; };
    EXPECT_THROW(
        Recompute(ws, view, progress, RowRetention::KeepTableText).recompute("velkdata.csv"),
        RecomputeCancelled);
    EXPECT_EQ(view.pages[Page::TenMinuteTable], shown);
    EXPECT_EQ(*ws.tenMinuteTableText, shown);
}

using UpdateTextReport = RecomputeFixture;

TEST_F(UpdateTextReport, RebuildsOnlyWhileDirty) {
    recompute.recompute("velkdata.csv");
    recompute.updateTextReport();
    recompute.updateTextReport();
    EXPECT_EQ(view.textReportBuilds, 1);
    EXPECT_FALSE(reportDirty);
    view.textReport.push_back("user edit");
    recompute.writeTextReport(); // writes what the view holds
    EXPECT_NE(readFile("velkreport.txt").find("user edit\r\n\r\n"), std::string::npos);
}

using WriteHourTable = RecomputeFixture;

TEST_F(WriteHourTable, ComputesRatesWithTheCurrentThresholdAndStaysDirty) {
    recompute.recompute("velkdata.csv");
    cnf.noiseMinutes = 5;
    reportDirty = true;
    recompute.writeHourTable();
    EXPECT_TRUE(reportDirty);
    ASSERT_TRUE(report.top->next);
    EXPECT_TRUE(report.top->aboveNoise); // 10 minutes > 5
    EXPECT_EQ(view.pages[Page::HourTable], readFile("report60.csv"));
}

TEST(Workspace, TwoInOneProcessGiveTheSameOutputs) {
    TempDir dir;
    ChangeDir inDir{dir.path()};
    writeFile("velkdata.csv", kData);
    const auto runIn = [](Workspace& ws, const char* folder) {
        std::filesystem::create_directory(folder);
        ChangeDir into{folder};
        ws.onMessage = [](const std::string&) {};
        ws.settings.alwaysWriteTextReport = ws.settings.alwaysWriteTenMinuteTable =
            ws.settings.alwaysWriteHourTable = ws.settings.alwaysWriteRmob = true;
        RecomputeView view;
        ASSERT_TRUE(Recompute(ws, view).recompute("../velkdata.csv"));
    };
    // Both live at once, the second with other settings until its run: what
    // one holds must not leak into the other.
    Workspace first;
    Workspace second;
    second.settings.utOffsetHours = 3;
    runIn(first, "a");
    second.settings.utOffsetHours = first.settings.utOffsetHours;
    runIn(second, "b");
    for (const char* name :
         {"report10.csv", "report60.csv", "velkreport.txt", "rmob.txt", "NoObsList.txt"}) {
        SCOPED_TRACE(name);
        const std::string a = readFile(std::string("a/") + name);
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, readFile(std::string("b/") + name));
    }
}
