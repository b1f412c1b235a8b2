#include "pipeline/OutputWriter.h"

#include "config/ProgramInfo.h"
#include "reports/ColorgrammeImage.h"
#include "shared/Backup.h"
#include "shared/PngWriter.h"

#include <filesystem>

std::string OutputWriter::pathOf(std::string_view fileName) const {
    if (folder_.empty()) {
        return std::string(fileName);
    }
    return (std::filesystem::path(folder_) / fileName).string();
}

const char* OutputWriter::fileNameOf(Output output) {
    switch (output) {
    case Output::TextReport:
        return kReportTextFile;
    case Output::Rmob:
        return kRmobFile;
    case Output::TenMinuteTable:
        return kTenMinuteTableFile;
    case Output::HourTable:
        return kHourTableFile;
    case Output::NoObsList:
        break;
    }
    return kNoObsFile;
}

void OutputWriter::backUp(const std::string& path, bool backup) const {
    if (backup && backups_) {
        backupFile(path);
    }
}

std::string OutputWriter::writeBytes(const char* fileName, std::string_view text,
                                     bool backup) const {
    const std::string path = pathOf(fileName);
    backUp(path, backup);
    writeBytesToFile(path, text, replacement_);
    return path;
}

std::string OutputWriter::pageFileText(const std::vector<std::string>& lines) {
    std::size_t size = 2;
    for (const std::string& line : lines) {
        size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    text += "\r\n";
    return text;
}

std::string OutputWriter::writePageLines(const char* fileName,
                                         const std::vector<std::string>& lines) const {
    return writeBytes(fileName, pageFileText(lines), true);
}

std::string OutputWriter::writeTenMinuteTable(std::string_view text) const {
    return writeBytes(kTenMinuteTableFile, text, true);
}

std::string OutputWriter::writeHourTable(std::string_view text) const {
    return writeBytes(kHourTableFile, text, true);
}

std::string OutputWriter::writeNoObsList(std::string_view text) const {
    return writeBytes(kNoObsFile, text, false);
}

std::string OutputWriter::writeTextReport(const std::vector<std::string>& lines) const {
    return writePageLines(kReportTextFile, lines);
}

std::string OutputWriter::writeRmob(const std::vector<std::string>& lines) const {
    return writePageLines(kRmobFile, lines);
}

std::string OutputWriter::write(Output output, const RunResult& result) const {
    switch (output) {
    case Output::TextReport:
        return writeTextReport(result.textReport);
    case Output::Rmob:
        return writeRmob(result.rmob);
    case Output::TenMinuteTable:
        return writeTenMinuteTable(result.tenMinuteTable);
    case Output::HourTable:
        return writeHourTable(result.hourTable);
    case Output::NoObsList:
        break;
    }
    return writeNoObsList(result.noObsList);
}

TextFileWriter OutputWriter::open(Output output) const {
    const std::string path = pathOf(fileNameOf(output));
    backUp(path, output != Output::NoObsList);
    return TextFileWriter(path, replacement_);
}

std::vector<std::string>
OutputWriter::writeRmobMonthlyFiles(const std::vector<RmobMonthlyFile>& files) const {
    std::vector<std::string> written;
    for (const RmobMonthlyFile& file : files) {
        const std::string path = pathOf(file.fileName);
        backUp(path, true);
        writeLinesToFile(path, file.lines, replacement_);
        written.push_back(path);
    }
    return written;
}

std::vector<std::string>
OutputWriter::writeColorgrammes(const std::vector<ColorgrammeMonth>& months,
                                std::optional<double> manualMaximum) const {
    std::vector<std::string> written;
    for (const ColorgrammeMonth& m : months) {
        const std::string path = pathOf(colorgrammeFileName(m.year, m.month));
        writeBytesToFile(path, encodePng(renderColorgramme(m, manualMaximum)), replacement_);
        written.push_back(path);
    }
    return written;
}

std::vector<Output> outputsWrittenAfterEveryRun(const Settings& settings) {
    const bool always[] = {settings.alwaysWriteTextReport, settings.alwaysWriteRmob,
                           settings.alwaysWriteTenMinuteTable, settings.alwaysWriteHourTable, true};
    std::vector<Output> outputs;
    for (std::size_t i = 0; i < std::size(kAllOutputs); ++i) {
        if (always[i]) {
            outputs.push_back(kAllOutputs[i]);
        }
    }
    return outputs;
}

std::vector<std::string> writeOutputs(const RunResult& result, const std::vector<Output>& outputs,
                                      const OutputWriter& writer) {
    std::vector<std::string> written;
    for (Output output : outputs) {
        written.push_back(writer.write(output, result));
    }
    return written;
}
