#include "pipeline/Recompute.h"

#include "config/ProgramInfo.h"
#include "reports/ColorgrammeImage.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"
#include "reports/ViewFile.h"
#include "shared/Backup.h"
#include "shared/CodePage.h"
#include "shared/DateTime.h"
#include "shared/TextFile.h"

#include <filesystem>

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
    try {
        runSteps(dataFileName);
    } catch (...) {
        // A failed step ends the run as a finished one does: the button says
        // 再計算 again, whatever the caller then shows.
        view_.setRecomputeCaption(captionIdle());
        throw;
    }
    view_.setRecomputeCaption(captionIdle());
    return true;
}

void Recompute::runSteps(const std::string& dataFileName) {
    std::string text = readWholeFile(dataFileName);
    view_.showRawData(text);
    Summary summary;
    summary.lineCount = decimal(countLines(text));
    summary.firstLine = std::string(firstLine(text));
    summary.lastLine = std::string(lastLine(text));

    ws_.rows.loadText(std::move(text), ws_.onMessage);
    ws_.rows.normalize();

    view_.clearPage(Page::NoObsList);
    ws_.hours.clear();
    ws_.noObsLines.clear();

    std::size_t ngCount = 0;
    for (ws_.rows.rejectedCursor = ws_.rows.rejectedTop.get(); ws_.rows.rejectedCursor->next;
         ws_.rows.rejectedCursor = ws_.rows.rejectedCursor->next.get()) {
        ws_.noObsLines.append(ws_.rows.rejectedCursor->line);
        ++ngCount;
    }

    std::size_t allCount = 0;
    std::size_t notCount = 0;
    const TenMinuteRow* lastRow = nullptr;
    for (ws_.rows.cursor = ws_.rows.top.get(); ws_.rows.cursor->next;
         ws_.rows.cursor = ws_.rows.cursor->next.get()) {
        const TenMinuteRow& row = *ws_.rows.cursor;
        ws_.hours.addRow(row);
        if (row.fileName == kGapFileName) {
            ws_.noObsLines.append(tenMinuteRowText(row));
            ++notCount;
        }
        ++allCount;
        lastRow = &row;
    }

    // A file without a single row leaves both times empty; the run goes on so
    // that the no-observation list shows why nothing was read.
    if (lastRow) {
        summary.firstSlot = reportTimeText(ws_.rows.top->time);
        summary.lastSlot = reportTimeText(lastRow->time);
    }
    summary.rowCount = decimal(allCount);
    summary.gapCount = decimal(notCount);
    summary.rejectedCount = decimal(ngCount);
    view_.setSummary(summary);

    ws_.textReportStale = true;
    ws_.rmobStale = true;

    if (ws_.settings.alwaysWriteTextReport) {
        updateAndWriteTextReport();
    }
    if (ws_.settings.alwaysWriteRmob) {
        updateAndWriteRmobTables();
    }

    const std::string report10 =
        ws_.settings.alwaysWriteTenMinuteTable ? kTenMinuteTableFile : kTempFile;
    if (ws_.settings.alwaysWriteTenMinuteTable) {
        backupFile(report10);
    }
    ws_.rows.writeFile(report10, ws_.settings.tenMinuteHeaderLine);
    view_.loadPage(Page::TenMinuteTable, report10);

    if (ws_.textReportStale) {
        ws_.hours.computeRates(ws_.settings.noiseMinutes);
    }

    const std::string report60 = ws_.settings.alwaysWriteHourTable ? kHourTableFile : kTempFile;
    if (ws_.settings.alwaysWriteHourTable) {
        backupFile(report60);
    }
    ws_.hours.writeFile(report60, ws_.settings.hourHeaderLine);
    view_.loadPage(Page::HourTable, report60);

    ws_.noObsLines.writeFile(kNoObsFile);
    view_.loadPage(Page::NoObsList, kNoObsFile);

    if (fileExists(kTempFile)) {
        std::error_code ec;
        std::filesystem::remove(kTempFile, ec);
    }
}

void Recompute::writeTenMinuteTable() {
    backupFile(kTenMinuteTableFile);
    ws_.rows.writeFile(kTenMinuteTableFile, ws_.settings.tenMinuteHeaderLine);
    if (fileExists(kTenMinuteTableFile)) {
        view_.loadPage(Page::TenMinuteTable, kTenMinuteTableFile);
    }
}

void Recompute::writeHourTable() {
    if (ws_.textReportStale) {
        ws_.hours.computeRates(ws_.settings.noiseMinutes);
    }
    backupFile(kHourTableFile);
    ws_.hours.writeFile(kHourTableFile, ws_.settings.hourHeaderLine);
    if (fileExists(kHourTableFile)) {
        view_.loadPage(Page::HourTable, kHourTableFile);
    }
}

void Recompute::updateTextReport() {
    if (!ws_.textReportStale) {
        return;
    }
    std::vector<std::string> lines = view_.textReportLines();
    buildTextReport(ws_.hours, ws_.settings, lines);
    view_.setTextReportLines(lines);
    ws_.textReportStale = false;
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
    buildRmob(ws_.hours, ws_.settings, lines);
    view_.setRmobLines(lines);
    ws_.rmobStale = false;
}

void Recompute::updateRmobTables() {
    if (ws_.rmobStale) {
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

MonthlyRmobExport Recompute::writeMonthlyRmobFiles(const StationInfo& station,
                                                   const std::string& folder, bool pictures,
                                                   std::optional<double> manualMaximum) {
    MonthlyRmobExport written;
    for (RmobMonthlyFile& file :
         ::writeRmobMonthlyFiles(ws_.hours, ws_.settings, station, folder)) {
        written.files.push_back(std::move(file.path));
    }
    if (pictures) {
        // Built from the settings the files were just written with, so each
        // picture matches the file beside it.
        written.pictures =
            writeColorgrammes(buildColorgrammes(ws_.hours, ws_.settings), folder, manualMaximum);
    }
    return written;
}
