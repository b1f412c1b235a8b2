#pragma once
// The recompute pipeline and the on-demand outputs, written once for both
// front ends. The window and the command-line tool each implement
// RecomputeView for what they show; the order of the steps lives only here.

#include "config/Settings.h"
#include "data/TenMinuteTable.h"
#include "hourly/HourTable.h"
#include "shared/TextLines.h"

#include <string>
#include <vector>

// Whether the hour rates and the text report page lag behind the data or the
// report settings, and whether the RMOB page lags behind the data.
extern bool ReportDirty;
extern bool RMOBDirty;

enum class Page { Report10, Report60, NoObsList };

// The eight summary fields of the main page; texts are bytes.
struct Summary {
    std::string firstLine, firstSlot, lineCount, rowCount, lastLine, lastSlot, rejectedCount,
        gapCount;
};

// What a front end shows. Texts are code page 932 bytes.
class RecomputeView {
public:
    virtual ~RecomputeView() = default;
    virtual void setDataFileName(const std::string& name) = 0;        // csvfilename
    virtual void setRecomputeCaption(const std::string& caption) = 0; // Button6
    virtual void showRawData(const std::string& bytes) = 0;           // csv_org page
    virtual void clearPage(Page page) = 0;
    virtual void loadPage(Page page, const std::string& fileName) = 0; // load a written file
    virtual void setSummary(const Summary& summary) = 0;
    virtual std::vector<std::string> textReportLines() = 0; // Report_View
    virtual void setTextReportLines(const std::vector<std::string>& lines) = 0;
    virtual std::vector<std::string> rmobLines() = 0; // RMOB_View
    virtual void setRmobLines(const std::vector<std::string>& lines) = 0;
};

// The program's state that the pipeline works on; tests build their own.
struct AppState {
    TenMinuteTable& csv;
    HourTable& report;
    TextLines& noObs;
    Settings& cnf;
    bool& reportDirty;
    bool& rmobDirty;

    static AppState globals(); // CSVData, ReportData, NoObsLines, CnfData, the flags
};

class Recompute {
public:
    Recompute(AppState state, RecomputeView& view) : s_(state), view_(view) {}

    // The pipeline on a data file. Returns false when no such file exists
    // (nothing but csvfilename changed). Throws IoError when a file cannot be
    // read or written; the finished steps' results remain.
    bool recompute(const std::string& dataFileName);
    void writeTenMinuteTable();
    void writeHourTable();

    void updateTextReport(); // build the text report while ReportDirty
    void writeTextReport();  // write velkreport.txt from the view
    void updateAndWriteTextReport();

    void buildRmobTables();  // build the RMOB tables
    void updateRmobTables(); // build while RMOBDirty
    void writeRmobTables();  // write rmob.txt from the view
    void updateAndWriteRmobTables();

private:
    AppState s_;
    RecomputeView& view_;
};
