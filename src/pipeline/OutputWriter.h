#pragma once
// Writes results into one named folder. Before report10.csv, report60.csv,
// velkreport.txt, rmob.txt or a monthly RMOB file is written anew, the
// previous one is kept as its .bak file; NoObsList.txt and the pictures are
// replaced without one. A file whose writing fails is removed rather than
// left cut short, and the IoError names the file and the cause.

#include "pipeline/Run.h"
#include "reports/Colorgramme.h"
#include "reports/RmobMonthly.h"
#include "shared/TextFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OutputWriter {
public:
    // An empty folder is the current one.
    explicit OutputWriter(std::string folder) : folder_(std::move(folder)) {}

    const std::string& folder() const { return folder_; }

    // How existing files are replaced (in place unless set).
    void setReplacement(FileReplacement replacement) { replacement_ = replacement; }
    // Whether the backup rule holds (it does unless set).
    void setBackups(bool backups) { backups_ = backups; }
    // The path of a file of that name in the folder.
    std::string pathOf(std::string_view fileName) const;

    // The file name of an output ("report10.csv" and so on).
    static const char* fileNameOf(Output output);
    // The bytes of a file written from a page's lines (see writeTextReport).
    static std::string pageFileText(const std::vector<std::string>& lines);

    // Each returns the path written.
    std::string writeTenMinuteTable(std::string_view text) const;
    std::string writeHourTable(std::string_view text) const;
    std::string writeNoObsList(std::string_view text) const;
    // The two outputs written from what their page holds: every line, then
    // one more line end, so the file ends with an empty line.
    std::string writeTextReport(const std::vector<std::string>& lines) const;
    std::string writeRmob(const std::vector<std::string>& lines) const;
    // One output of a run as the run made it.
    std::string write(Output output, const RunResult& result) const;
    // An output to write in pieces (the ten-minute table as a run makes it):
    // the backup is made now, and the file is removed unless closed.
    TextFileWriter open(Output output) const;

    std::vector<std::string> writeRmobMonthlyFiles(const std::vector<RmobMonthlyFile>& files) const;
    // One colorgramme_YYYYMM.png per month.
    std::vector<std::string> writeColorgrammes(const std::vector<ColorgrammeMonth>& months,
                                               std::optional<double> manualMaximum) const;

private:
    std::string writeBytes(const char* fileName, std::string_view text, bool backup) const;
    std::string writePageLines(const char* fileName, const std::vector<std::string>& lines) const;

    // The backup rule, when it holds for the file.
    void backUp(const std::string& path, bool backup) const;

    std::string folder_;
    FileReplacement replacement_ = FileReplacement::InPlace;
    bool backups_ = true;
};

// The outputs that the settings ask to write after every run, then
// NoObsList.txt, which every run writes; in the order they are written.
std::vector<Output> outputsWrittenAfterEveryRun(const Settings& settings);
// Writes the outputs in the order given; returns the paths written.
std::vector<std::string> writeOutputs(const RunResult& result, const std::vector<Output>& outputs,
                                      const OutputWriter& writer);
