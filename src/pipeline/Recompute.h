#pragma once
// The recompute pipeline and the on-demand outputs, written once for both
// front ends. The window and the command-line tool each give a RecomputeView
// for what they show; the order of the steps lives only here.

#include "config/StationInfo.h"
#include "pipeline/Progress.h"
#include "pipeline/Workspace.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class Page { TenMinuteTable, HourTable, NoObsList };

// The eight summary fields of the main page; texts are bytes.
struct Summary {
    std::string firstLine, firstSlot, lineCount, rowCount, lastLine, lastSlot, rejectedCount,
        gapCount;
};

// What a front end shows; texts are code page 932 bytes. Every call has a
// default that shows nothing, and the text report and the RMOB tables are kept
// here, so a front end without pages (the command-line tool, a test) only
// overrides what it wants to see.
class RecomputeView {
public:
    virtual ~RecomputeView() = default;
    virtual void setDataFileName(const std::string& /*name*/) {}
    virtual void setRecomputeCaption(const std::string& /*caption*/) {}
    // A run begins (busy) or ends: the recompute button's caption, 計算中 or
    // 再計算, goes to setRecomputeCaption. A front end without that button
    // overrides this to skip the captions (and the code page converter).
    virtual void setRecomputeBusy(bool busy);
    virtual void showRawData(const std::shared_ptr<const std::string>& /*bytes*/) {}
    virtual void clearPage(Page /*page*/) {}
    virtual void loadPage(Page /*page*/, const std::string& /*fileName*/) {} // a written file
    // The ten-minute table's bytes, when the workspace keeps them.
    virtual void showTenMinuteTable(const std::shared_ptr<const std::string>& /*bytes*/) {}
    virtual void setSummary(const Summary& /*summary*/) {}
    // The text report as the user sees (and may have edited) it.
    virtual std::vector<std::string> textReportLines() { return textReport_; }
    virtual void setTextReportLines(std::vector<std::string> lines) {
        textReport_ = std::move(lines);
    }
    // The same for the RMOB tables.
    virtual std::vector<std::string> rmobLines() { return rmob_; }
    virtual void setRmobLines(std::vector<std::string> lines) { rmob_ = std::move(lines); }

private:
    std::vector<std::string> textReport_;
    std::vector<std::string> rmob_;
};

// What writeMonthlyRmobFiles wrote.
struct MonthlyRmobExport {
    std::vector<std::string> files;    // one RMOB file per UT month, in month order
    std::vector<std::string> pictures; // one colorgramme per month, when asked for
};

// What a recompute does with the ten-minute rows once they are read.
// Keep: the rows stay in the workspace (tests, fuzzing: everything is there
// to look at). KeepTableText (the window): each settled row is formatted on a
// second thread while the file is read and then let go; the workspace keeps
// the table's bytes, which the Report10 page shows and its button writes, at
// half the memory of the rows. WriteAndRelease (the command-line tool, which
// wants every output once): the rows go straight to report10.csv and nothing
// stays.
enum class RowRetention { Keep, KeepTableText, WriteAndRelease };

class Recompute {
public:
    Recompute(Workspace& workspace, RecomputeView& view, const Progress& progress = Progress(),
              RowRetention retention = RowRetention::Keep)
        : ws_(workspace), view_(view), progress_(progress), retention_(retention) {}

    // The whole pipeline on a data file: read, normalise, fold into hours,
    // fill the summary and the no-observation list, write what the settings
    // ask for. Returns false when no such file exists (only the data file
    // name changed). Throws IoError when a file cannot be read or written; the
    // finished steps' results remain, and the caption is back to 再計算
    // either way. Throws RecomputeCancelled when the progress asks to stop
    // while the data are read and folded: the workspace, the pages and the
    // files are then as before the run (nothing is written before that
    // point, and the new lists replace the old ones only after it).
    // With RowRetention::WriteAndRelease, report10.csv (or the temporary
    // file) is written while the data are read, and a stop or a failure there
    // leaves report10.csv moved to its backup.
    bool recompute(const std::string& dataFileName);
    // report10.csv, with the header line as now set; std::logic_error after a
    // run that kept neither the rows nor the table.
    void writeTenMinuteTable();
    void writeHourTable(); // report60.csv

    void updateTextReport();         // build the text report while it is stale
    void writeTextReport();          // write velkreport.txt from the view
    void updateAndWriteTextReport(); // both

    void buildRmobTables();          // build the RMOB tables now
    void updateRmobTables();         // build them while they are stale
    void writeRmobTables();          // write rmob.txt from the view
    void updateAndWriteRmobTables(); // both

    // One RMOB submission file per UT month of the hour rows into the folder
    // ("" is the current folder), and with pictures one colorgramme per month
    // beside them (manualMaximum fixes the top of their colour scale).
    MonthlyRmobExport writeMonthlyRmobFiles(const StationInfo& station, const std::string& folder,
                                            bool pictures,
                                            std::optional<double> manualMaximum = std::nullopt);

private:
    void runSteps(const std::string& dataFileName); // recompute's steps after the caption
    // Reports a step (its name in UTF-8), converted only for a listener.
    void report(const char* utf8, double fraction);

    Workspace& ws_;
    RecomputeView& view_;
    Progress progress_;
    RowRetention retention_;
};
