#include "pipeline/Recompute.h"

#include "config/ProgramInfo.h"
#include "reports/Rmob.h"
#include "reports/TextReport.h"
#include "reports/ViewFile.h"
#include "shared/DateTime.h"
#include "shared/CodePage.h"
#include "shared/TextFile.h"

#include <filesystem>

bool ReportDirty = false;
bool RMOBDirty = false;

AppState AppState::globals() {
    return AppState{CSVData, ReportData, NoObsLines, CnfData, ReportDirty, RMOBDirty};
}

namespace {

const std::string& captionBusy() {
    static const std::string text = utf8ToCp932("計算中");
    return text;
}

const std::string& captionIdle() {
    static const std::string text = utf8ToCp932("再計算");
    return text;
}

std::string decimal(std::size_t n) {
    return std::to_string(n);
}

} // namespace

bool Recompute::recompute(const std::string& dataFileName) {
    view_.setDataFileName(dataFileName);
    if (!fileExists(dataFileName)) {
        return false;
    }
    view_.setRecomputeCaption(captionBusy());

    std::string text = readWholeFile(dataFileName);
    view_.showRawData(text);
    Summary summary;
    summary.lineCount = decimal(countLines(text));
    summary.firstLine = std::string(firstLine(text));
    summary.lastLine = std::string(lastLine(text));

    s_.csv.loadText(std::move(text));
    s_.csv.normalize();

    view_.clearPage(Page::NoObsList);
    s_.report.clear();
    s_.noObs.clear();

    std::size_t ngCount = 0;
    for (s_.csv.rejectedCursor = s_.csv.rejectedTop.get(); s_.csv.rejectedCursor->next;
         s_.csv.rejectedCursor = s_.csv.rejectedCursor->next.get()) {
        s_.noObs.append(s_.csv.rejectedCursor->line);
        ++ngCount;
    }

    std::size_t allCount = 0;
    std::size_t notCount = 0;
    const TenMinuteRow* lastRow = nullptr;
    for (s_.csv.cursor = s_.csv.top.get(); s_.csv.cursor->next;
         s_.csv.cursor = s_.csv.cursor->next.get()) {
        const TenMinuteRow& row = *s_.csv.cursor;
        s_.report.addRow(row);
        if (row.fileName == kGapFileName) {
            s_.noObs.append(tenMinuteRowText(row));
            ++notCount;
        }
        ++allCount;
        lastRow = &row;
    }

    // A file without a single row leaves both times empty; the run goes on so
    // that the no-observation list shows why nothing was read.
    if (lastRow) {
        summary.firstSlot = reportTimeText(s_.csv.top->time);
        summary.lastSlot = reportTimeText(lastRow->time);
    }
    summary.rowCount = decimal(allCount);
    summary.gapCount = decimal(notCount);
    summary.rejectedCount = decimal(ngCount);
    view_.setSummary(summary);

    s_.reportDirty = true;
    s_.rmobDirty = true;

    if (s_.cnf.alwaysWriteTextReport) {
        updateAndWriteTextReport();
    }
    if (s_.cnf.alwaysWriteRmob) {
        updateAndWriteRmobTables();
    }

    const std::string report10 = s_.cnf.alwaysWriteTenMinuteTable ? kTenMinuteTableFile : kTempFile;
    if (s_.cnf.alwaysWriteTenMinuteTable) {
        backupFile(report10);
    }
    s_.csv.writeFile(report10, s_.cnf.tenMinuteHeaderLine);
    view_.loadPage(Page::Report10, report10);

    if (s_.reportDirty) {
        s_.report.computeRates(s_.cnf.noiseMinutes);
    }

    const std::string report60 = s_.cnf.alwaysWriteHourTable ? kHourTableFile : kTempFile;
    if (s_.cnf.alwaysWriteHourTable) {
        backupFile(report60);
    }
    s_.report.writeFile(report60, s_.cnf.hourHeaderLine);
    view_.loadPage(Page::Report60, report60);

    s_.noObs.writeFile(kNoObsFile);
    view_.loadPage(Page::NoObsList, kNoObsFile);

    if (fileExists(kTempFile)) {
        std::error_code ec;
        std::filesystem::remove(kTempFile, ec);
    }
    view_.setRecomputeCaption(captionIdle());
    return true;
}

void Recompute::writeTenMinuteTable() {
    backupFile(kTenMinuteTableFile);
    s_.csv.writeFile(kTenMinuteTableFile, s_.cnf.tenMinuteHeaderLine);
    if (fileExists(kTenMinuteTableFile)) {
        view_.loadPage(Page::Report10, kTenMinuteTableFile);
    }
}

void Recompute::writeHourTable() {
    if (s_.reportDirty) {
        s_.report.computeRates(s_.cnf.noiseMinutes);
    }
    backupFile(kHourTableFile);
    s_.report.writeFile(kHourTableFile, s_.cnf.hourHeaderLine);
    if (fileExists(kHourTableFile)) {
        view_.loadPage(Page::Report60, kHourTableFile);
    }
}

void Recompute::updateTextReport() {
    if (!s_.reportDirty) {
        return;
    }
    std::vector<std::string> lines = view_.textReportLines();
    buildTextReport(s_.report, s_.cnf, lines);
    view_.setTextReportLines(lines);
    s_.reportDirty = false;
}

void Recompute::writeTextReport() {
    writeViewFile(kReportTextFile, view_.textReportLines());
}

void Recompute::updateAndWriteTextReport() {
    updateTextReport();
    writeTextReport();
}

void Recompute::buildRmobTables() {
    std::vector<std::string> lines;
    buildRmob(s_.report, s_.cnf, lines);
    view_.setRmobLines(lines);
    s_.rmobDirty = false;
}

void Recompute::updateRmobTables() {
    if (s_.rmobDirty) {
        buildRmobTables();
    }
}

void Recompute::writeRmobTables() {
    writeViewFile(kRmobFile, view_.rmobLines());
}

void Recompute::updateAndWriteRmobTables() {
    updateRmobTables();
    writeRmobTables();
}
