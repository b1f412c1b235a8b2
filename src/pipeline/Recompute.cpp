#include "pipeline/Recompute.h"

#include "config/UConst.h"
#include "reports/Rmob.h"
#include "reports/TextReport.h"
#include "reports/ViewFile.h"
#include "shared/ShiftJis.h"
#include "shared/TextFile.h"
#include "shared/UFunction.h"

#include <filesystem>

bool ReportDirty = false;
bool RMOBDirty = false;

AppState AppState::globals() {
    return AppState{CSVData, ReportData, NoObsLines, CnfData, ReportDirty, RMOBDirty};
}

namespace {

const std::string& captionBusy() {
    static const std::string text = Utf8ToCp932("計算中");
    return text;
}

const std::string& captionIdle() {
    static const std::string text = Utf8ToCp932("再計算");
    return text;
}

std::string decimal(std::size_t n) {
    return std::to_string(n);
}

} // namespace

bool Recompute::Button6Click(const std::string& dataFileName) {
    view_.setDataFileName(dataFileName);
    if (!FileExists(dataFileName)) {
        return false;
    }
    view_.setRecomputeCaption(captionBusy());

    std::string text = ReadWholeFile(dataFileName);
    view_.showRawData(text);
    Summary summary;
    summary.InData = decimal(CountLines(text));
    summary.StartData = std::string(FirstLine(text));
    summary.EndData = std::string(LastLine(text));

    s_.csv.LoadText(std::move(text));
    s_.csv.Normalize();

    view_.clearPage(Page::NoObsList);
    s_.report.Clear();
    s_.noObs.Clear();

    std::size_t ngCount = 0;
    for (s_.csv.NoTimeCur = s_.csv.NoTimeTop.get(); s_.csv.NoTimeCur->Next;
         s_.csv.NoTimeCur = s_.csv.NoTimeCur->Next.get()) {
        s_.noObs.Append(s_.csv.NoTimeCur->Line);
        ++ngCount;
    }

    std::size_t allCount = 0;
    std::size_t notCount = 0;
    const TCSVDataRecord* lastRow = nullptr;
    for (s_.csv.Cur = s_.csv.Top.get(); s_.csv.Cur->Next; s_.csv.Cur = s_.csv.Cur->Next.get()) {
        const TCSVDataRecord& row = *s_.csv.Cur;
        s_.report.AddRecord(row);
        if (row.FileName == kGapFileName) {
            s_.noObs.Append(CSVRecordToStr(row));
            ++notCount;
        }
        ++allCount;
        lastRow = &row;
    }

    // A file without a single row leaves both times empty; the run goes on so
    // that the no-observation list shows why nothing was read.
    if (lastRow) {
        summary.StartDay = DateTimeToRepStr(s_.csv.Top->Time);
        summary.EndDay = DateTimeToRepStr(lastRow->Time);
    }
    summary.AllData = decimal(allCount);
    summary.NotData = decimal(notCount);
    summary.NGData = decimal(ngCount);
    view_.setSummary(summary);

    s_.reportDirty = true;
    s_.rmobDirty = true;

    if (s_.cnf.RepTOF) {
        OutPutReportTEXT();
    }
    if (s_.cnf.RMOBF) {
        OutPutRMOBTEXT();
    }

    const std::string report10 = s_.cnf.Rep1OF ? kReport10File : kTempFile;
    if (s_.cnf.Rep1OF) {
        BackupFile(report10);
    }
    s_.csv.SaveReport10(report10, s_.cnf.Rep1l1);
    view_.loadPage(Page::Report10, report10);

    if (s_.reportDirty) {
        s_.report.CalcRate(s_.cnf.nd);
    }

    const std::string report60 = s_.cnf.Rep6OF ? kReport60File : kTempFile;
    if (s_.cnf.Rep6OF) {
        BackupFile(report60);
    }
    s_.report.SaveReport60(report60, s_.cnf.Rep6l1);
    view_.loadPage(Page::Report60, report60);

    s_.noObs.WriteToFile(kNoObsFile);
    view_.loadPage(Page::NoObsList, kNoObsFile);

    if (FileExists(kTempFile)) {
        std::error_code ec;
        std::filesystem::remove(kTempFile, ec);
    }
    view_.setRecomputeCaption(captionIdle());
    return true;
}

void Recompute::OutPutReport10File() {
    BackupFile(kReport10File);
    s_.csv.SaveReport10(kReport10File, s_.cnf.Rep1l1);
    if (FileExists(kReport10File)) {
        view_.loadPage(Page::Report10, kReport10File);
    }
}

void Recompute::OutPutReport60File() {
    if (s_.reportDirty) {
        s_.report.CalcRate(s_.cnf.nd);
    }
    BackupFile(kReport60File);
    s_.report.SaveReport60(kReport60File, s_.cnf.Rep6l1);
    if (FileExists(kReport60File)) {
        view_.loadPage(Page::Report60, kReport60File);
    }
}

void Recompute::ShowReport() {
    if (!s_.reportDirty) {
        return;
    }
    std::vector<std::string> lines = view_.textReportLines();
    BuildTextReport(s_.report, s_.cnf, lines);
    view_.setTextReportLines(lines);
    s_.reportDirty = false;
}

void Recompute::Button4Click() {
    WriteViewFile(kReportTextFile, view_.textReportLines());
}

void Recompute::OutPutReportTEXT() {
    ShowReport();
    Button4Click();
}

void Recompute::Button12Click() {
    std::vector<std::string> lines;
    BuildRmob(s_.report, s_.cnf, lines);
    view_.setRmobLines(lines);
    s_.rmobDirty = false;
}

void Recompute::ShowRMOB() {
    if (s_.rmobDirty) {
        Button12Click();
    }
}

void Recompute::Button11Click() {
    WriteViewFile(kRmobFile, view_.rmobLines());
}

void Recompute::OutPutRMOBTEXT() {
    ShowRMOB();
    Button11Click();
}
