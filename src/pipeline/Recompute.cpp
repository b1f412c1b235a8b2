#include "pipeline/Recompute.h"

#include "config/ProgramInfo.h"
#include "data/TenMinuteTableWriter.h"
#include "reports/ColorgrammeImage.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"
#include "reports/ViewFile.h"
#include "shared/Backup.h"
#include "shared/CodePage.h"
#include "shared/DateTime.h"
#include "shared/ReadAhead.h"
#include "shared/TextFile.h"

#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>

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

void RecomputeView::setRecomputeBusy(bool busy) {
    setRecomputeCaption(busy ? captionBusy() : captionIdle());
}

void Recompute::report(const char* utf8, double fraction) {
    if (progress_.report) {
        progress_(utf8ToCp932(utf8), fraction);
    }
}

bool Recompute::recompute(const std::string& dataFileName) {
    view_.setDataFileName(dataFileName);
    if (!fileExists(dataFileName)) {
        return false;
    }
    view_.setRecomputeBusy(true);
    try {
        runSteps(dataFileName);
    } catch (...) {
        // A failed step ends the run as a finished one does: the button says
        // 再計算 again, whatever the caller then shows.
        view_.setRecomputeBusy(false);
        throw;
    }
    view_.setRecomputeBusy(false);
    return true;
}

void Recompute::runSteps(const std::string& dataFileName) {
    const auto step = [this](const char* utf8, double fraction) {
        report(utf8, fraction);
        if (progress_.cancelled()) {
            throw RecomputeCancelled();
        }
    };
    // The long passes report every few thousand rows (or megabytes), each
    // as its share of the run from `from` to `to`, and stop there when asked.
    const auto stepWithin = [&step](const char* utf8, double from, double to) {
        return [&step, utf8, from, to](double share) { step(utf8, from + (to - from) * share); };
    };
    // Until the last cancel check the run builds into lists of its own, so
    // that a stopped run leaves the workspace and the pages as they were.
    step("データファイルの読み込み", 0.0);
    // The file is read on a thread of its own while its lines are parsed.
    ReadAhead text(dataFileName);

    const bool keepRows = retention_ == RowRetention::Keep;
    const bool keepTable = retention_ == RowRetention::KeepTableText;
    const std::string report10 =
        ws_.settings.alwaysWriteTenMinuteTable ? kTenMinuteTableFile : kTempFile;

    // Reading, putting rows in their slots and folding them into hours is one
    // pass: each row is folded while it is at hand.
    step("行の読み取り", 0.0);
    TenMinuteTable rows;
    rows.init();
    HourTable hours;
    hours.init();
    TextLines gapLines;
    gapLines.init();
    // Without the rows kept, the ten-minute table is written as they come
    // (after rows: the writer reads the texts they borrow until it is gone).
    // Kept in memory, the file is written only past the last cancel check.
    std::optional<TenMinuteTableWriter> report10Writer;
    if (keepTable) {
        // A table line is some 1.6 times its data line; gap rows add more.
        // Only the room written to costs memory.
        report10Writer.emplace(text.expectedSize() * 2, ws_.settings.tenMinuteHeaderLine);
    } else if (!keepRows) {
        if (ws_.settings.alwaysWriteTenMinuteTable) {
            backupFile(report10);
        }
        report10Writer.emplace(report10, ws_.settings.tenMinuteHeaderLine);
    }
    std::size_t allCount = 0;
    std::size_t notCount = 0;
    DateTime firstSlot = 0;
    DateTime lastSlot = 0;
    const RowSink fold = [&](const TenMinuteRow& row) {
        hours.addRow(row);
        if (row.fileName == kGapFileName) {
            gapLines.append(tenMinuteRowText(row));
            ++notCount;
        }
        if (allCount == 0) {
            firstSlot = row.time;
        }
        lastSlot = row.time;
        ++allCount;
        if (report10Writer) {
            report10Writer->add(row);
        }
    };
    // The rows keep the file's bytes; the raw-data page is shown from them.
    const std::shared_ptr<const std::string> loaded =
        rows.loadNormalized(text, fold, keepRows ? KeepRows::Yes : KeepRows::No, ws_.onMessage,
                            stepWithin("行の読み取り", 0.0, 0.6));
    step("時間ごとの集計", 0.6);
    std::shared_ptr<const std::string> tableText;
    if (keepTable) {
        report10Writer->close();
        tableText = std::make_shared<const std::string>(report10Writer->takeText());
    }

    // The no-observation list: the lines set aside, then the gap rows.
    TextLines noObsLines;
    noObsLines.init();
    std::size_t ngCount = 0;
    for (const RejectedLine* line = rows.rejectedTop.get(); line->next; line = line->next.get()) {
        noObsLines.append(line->line);
        ++ngCount;
    }
    for (TextLine* line = gapLines.top.get(); line->next; line = line->next.get()) {
        noObsLines.append(std::move(line->text));
    }
    gapLines.clear();

    ws_.rows.swap(rows);
    ws_.hours.swap(hours);
    ws_.noObsLines.swap(noObsLines);
    ws_.tenMinuteTableText = std::move(tableText);
    ws_.tenMinuteRowsReleased = !keepRows;
    // The previous lists go now, before the outputs are written.
    rows.init();
    hours.init();
    noObsLines.clear();
    view_.showRawData(loaded);
    view_.clearPage(Page::NoObsList);

    Summary summary;
    // A file without a single row leaves both times empty; the run goes on so
    // that the no-observation list shows why nothing was read.
    if (allCount > 0) {
        summary.firstSlot = reportTimeText(firstSlot);
        summary.lastSlot = reportTimeText(lastSlot);
    }
    // The reader goes through every line but stops at a Ctrl-Z; the count
    // takes in every line (so the reader's count serves only without one).
    summary.firstLine = std::string(firstLine(*loaded));
    summary.lastLine = std::string(lastLine(*loaded));
    summary.lineCount = decimal(ws_.rows.endMarkMet() ? countLines(*loaded) : ws_.rows.linesRead());
    summary.rowCount = decimal(allCount);
    summary.gapCount = decimal(notCount);
    summary.rejectedCount = decimal(ngCount);
    view_.setSummary(summary);

    ws_.textReportStale = true;
    ws_.rmobStale = true;

    // Every later step wants the hours rated for the threshold now set. Rated,
    // they are only read: the RMOB tables are built on a second thread while
    // this one builds and writes the text report, and written after it.
    ws_.hours.computeRates(ws_.settings.noiseMinutes);
    // Shared with the thread that fills it, whichever way this run ends.
    const auto rmobBuilt = std::make_shared<std::vector<std::string>>();
    std::function<void()> buildRmobLines;
    if (ws_.settings.alwaysWriteRmob) {
        buildRmobLines = [this, rmobBuilt] {
            buildRmobFromRated(ws_.hours, ws_.settings, *rmobBuilt);
        };
    }
    std::future<void> rmobDone;
    const bool streaming = report10Writer && !keepTable;
    if (streaming) {
        // The writer's thread finishes the ten-minute table, then goes on to
        // the RMOB tables; its file is complete before this run's end, as
        // when the rows are kept and the table is written after the RMOB
        // tables.
        report10Writer->closeThen(buildRmobLines);
    } else if (buildRmobLines) {
        rmobDone = std::async(std::launch::async, buildRmobLines);
    }
    if (ws_.settings.alwaysWriteTextReport) {
        std::vector<std::string> lines;
        buildTextReportFromRated(ws_.hours, ws_.settings, lines);
        view_.setTextReportLines(std::move(lines));
        ws_.textReportStale = false;
        writeTextReport();
    }
    if (streaming) {
        report10Writer->finish();
    } else if (rmobDone.valid()) {
        rmobDone.get();
    }
    if (buildRmobLines) {
        view_.setRmobLines(std::move(*rmobBuilt));
        ws_.rmobStale = false;
        writeRmobTables();
    }

    if (keepRows) {
        report("Report10 の出力", 0.7);
        if (ws_.settings.alwaysWriteTenMinuteTable) {
            backupFile(report10);
        }
        // Past the last cancel check: the share is shown, a stop is not taken.
        ws_.rows.writeFile(report10, ws_.settings.tenMinuteHeaderLine,
                           [this](double share) { report("Report10 の出力", 0.7 + 0.15 * share); });
        view_.loadPage(Page::TenMinuteTable, report10);
    } else if (keepTable) {
        if (ws_.settings.alwaysWriteTenMinuteTable) {
            report("Report10 の出力", 0.7);
            backupFile(report10);
            writeBytesToFile(report10, *ws_.tenMinuteTableText);
        }
        view_.showTenMinuteTable(ws_.tenMinuteTableText);
    } else {
        view_.loadPage(Page::TenMinuteTable, report10);
    }

    report("Report60 の出力", 0.85);
    const std::string report60 = ws_.settings.alwaysWriteHourTable ? kHourTableFile : kTempFile;
    if (ws_.settings.alwaysWriteHourTable) {
        backupFile(report60);
    }
    ws_.hours.writeFile(report60, ws_.settings.hourHeaderLine,
                        [this] { report("Report60 の出力", 0.85); });
    view_.loadPage(Page::HourTable, report60);

    report("欠測リストの出力", 0.95);
    ws_.noObsLines.writeFile(kNoObsFile);
    view_.loadPage(Page::NoObsList, kNoObsFile);

    if (fileExists(kTempFile)) {
        std::error_code ec;
        std::filesystem::remove(kTempFile, ec);
    }
    report("完了", 1.0);
}

void Recompute::writeTenMinuteTable() {
    if (ws_.tenMinuteTableText) {
        // The kept table, its header line as now set: the bytes the rows
        // would give.
        const std::string header = std::string(kTenMinuteHeaderLine) + "\r\n";
        std::string_view table = *ws_.tenMinuteTableText;
        const bool hasHeader = table.starts_with(header);
        if (hasHeader) {
            table.remove_prefix(header.size());
        }
        if (ws_.settings.tenMinuteHeaderLine != hasHeader) {
            auto adjusted = std::make_shared<std::string>();
            adjusted->reserve(header.size() + table.size());
            if (ws_.settings.tenMinuteHeaderLine) {
                adjusted->append(header);
            }
            adjusted->append(table);
            ws_.tenMinuteTableText = std::move(adjusted);
        }
        backupFile(kTenMinuteTableFile);
        writeBytesToFile(kTenMinuteTableFile, *ws_.tenMinuteTableText);
        view_.showTenMinuteTable(ws_.tenMinuteTableText);
        return;
    }
    if (ws_.tenMinuteRowsReleased) {
        throw std::logic_error("the ten-minute rows were written while read and not kept");
    }
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
    // Built afresh: the lines on the page are replaced, not read.
    std::vector<std::string> lines;
    buildTextReport(ws_.hours, ws_.settings, lines);
    view_.setTextReportLines(std::move(lines));
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
    view_.setRmobLines(std::move(lines));
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
