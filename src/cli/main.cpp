// Command-line front end: the same pipeline as the window, for observers who
// run their daily reports from a script. Messages that the window shows in
// boxes go to standard error in UTF-8; the summary goes to standard output.

#include "ActivityCommand.h"
#include "CliTexts.h"
#include "WatchCommand.h"
#include "config/ProgramInfo.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "pipeline/OutputWriter.h"
#include "pipeline/Run.h"
#include "reports/Colorgramme.h"
#include "reports/RmobMonthly.h"
#include "shared/CodePage.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: velkreport-cli [--settings FILE] [--set NAME=VALUE]... [-C DIR]\n"
    "                      [--rmob-monthly [--station FILE]] [--colorgramme [--max N]]\n"
    "                      [--activity CODE [--year YYYY] [--showers FILE]] DATAFILE\n"
    "       velkreport-cli [--settings FILE] [--set NAME=VALUE]... [-C DIR]\n"
    "                      [--rmob-monthly [--station FILE]] [--colorgramme [--max N]]\n"
    "                      [--stall-minutes N] --watch DATAFILE\n"
    "       velkreport-cli [--settings FILE] [--set NAME=VALUE]... --write-settings FILE\n"
    "       velkreport-cli [--settings FILE] [--set NAME=VALUE]... --show-settings\n"
    "       velkreport-cli --help | --version\n"
    "\n"
    "Reads DATAFILE and writes report10.csv, report60.csv, velkreport.txt, rmob.txt and\n"
    "NoObsList.txt into the current folder (or DIR), keeping the previous versions of the\n"
    "first four as .bak files. Prints the summary as NAME=VALUE lines.\n"
    "\n"
    "  --settings FILE        settings file to use (default: the window's velkreport.ini)\n"
    "  --set NAME=VALUE       override one setting; booleans 0, 1, true or false\n"
    "                         (MLong MOData RepTOF Rep1l1 Rep1OF Rep6l1 Rep6OF RMOBF RMOBLE\n"
    "                         RMOBOD LongFLE LongFOD HR), integers in decimal\n"
    "                         (RTZ LongTLE LongTOD nd)\n"
    "  -C DIR                 write the outputs into DIR\n"
    "  --rmob-monthly         also write one RMOB submission file per UT month\n"
    "                         (<Observer>_<MMYYYY>rmob.TXT)\n"
    "  --station FILE         station information for those files (default: the\n"
    "                         .station file beside the settings file)\n"
    "  --colorgramme          also write one colorgramme image per UT month\n"
    "                         (colorgramme_YYYYMM.png)\n"
    "  --max N                fixed top of the colour scale (default: each month's maximum)\n"
    "  --activity CODE        also write the activity profile of shower CODE (GEM, PER...)\n"
    "                         per year as activity_CODE_YYYY.csv and print its peak\n"
    "  --year YYYY            only the shower's activity period that ends in YYYY\n"
    "  --reference-days N     days before and after the period for the background (7)\n"
    "  --showers FILE         own shower list merged over the shipped one (default: the\n"
    "                         .showers.csv file beside the settings file, if any)\n"
    "  --watch                write the outputs, then follow DATAFILE while the recorder\n"
    "                         appends to it and keep them current until SIGINT or SIGTERM;\n"
    "                         prints Updated= after each update, Stalled= and Resumed=\n"
    "                         on standard error\n"
    "  --stall-minutes N      with --watch: minutes without a new line before Stalled=\n"
    "                         (30; fractions allowed)\n"
    "  --write-settings FILE  write the effective settings as a settings file and exit\n"
    "  --show-settings        print the effective settings and exit\n";

struct UsageError {
    std::string message;
};

std::optional<bool> parseBool(const std::string& v) {
    if (v == "1" || v == "true") {
        return true;
    }
    if (v == "0" || v == "false") {
        return false;
    }
    return std::nullopt;
}

std::optional<std::int32_t> parseInt(const std::string& v) {
    std::int32_t out = 0;
    const char* end = v.data() + v.size();
    auto [ptr, ec] = std::from_chars(v.data(), end, out);
    if (v.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return out;
}

void applySetting(Settings& cnf, const std::string& assignment) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos) {
        throw UsageError{"--set needs NAME=VALUE, got '" + assignment + "'"};
    }
    const std::string name = assignment.substr(0, eq);
    const std::string value = assignment.substr(eq + 1);
    const SettingField* field = findSettingField(name);
    if (!field) {
        throw UsageError{"unknown setting '" + name + "'"};
    }
    if (field->flag) {
        auto b = parseBool(value);
        if (!b) {
            throw UsageError{"setting " + name + " takes 0, 1, true or false, got '" + value + "'"};
        }
        cnf.*field->flag = *b;
    } else {
        auto i = parseInt(value);
        if (!i) {
            throw UsageError{"setting " + name + " takes a whole number, got '" + value + "'"};
        }
        cnf.*field->number = *i;
    }
}

struct Options {
    std::optional<std::string> settingsFile;
    std::vector<std::string> sets;
    std::optional<std::string> outputDir;
    std::optional<std::string> writeSettings;
    bool showSettings = false;
    bool rmobMonthly = false;
    bool colorgramme = false;
    std::optional<double> manualMaximum;
    std::optional<std::string> stationFile;
    std::optional<std::string> activity;
    std::optional<int> activityYear;
    std::optional<std::string> showersFile;
    std::optional<int> referenceDays;
    bool watch = false;
    std::optional<std::chrono::milliseconds> stallAfter;
    bool help = false;
    bool version = false;
    std::optional<std::string> dataFile;
};

// Reads a whole number of an option within [low, high].
int boundedNumber(const std::string& option, const std::string& value, int low, int high,
                  const char* expected) {
    const auto n = parseInt(value);
    if (!n || *n < low || *n > high) {
        throw UsageError{option + " takes " + expected + ", got '" + value + "'"};
    }
    return *n;
}

// Minutes, fractions allowed (a test waits seconds), as a time above zero.
std::chrono::milliseconds stallMinutes(const std::string& value) {
    double minutes = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, minutes);
    if (value.empty() || ec != std::errc() || ptr != end || !(minutes > 0) || minutes > 1e6) {
        throw UsageError{"--stall-minutes takes a number of minutes above 0, got '" + value + "'"};
    }
    return std::max(std::chrono::milliseconds(1),
                    std::chrono::milliseconds(std::llround(minutes * 60000)));
}

// Takes one argument (and the value of an option that has one).
void takeArgument(Options& o, const std::string& arg, const std::function<std::string()>& value) {
    if (arg == "--help" || arg == "-h") {
        o.help = true;
    } else if (arg == "--version") {
        o.version = true;
    } else if (arg == "--settings") {
        o.settingsFile = value();
    } else if (arg == "--set") {
        o.sets.push_back(value());
    } else if (arg == "-C") {
        o.outputDir = value();
    } else if (arg == "--write-settings") {
        o.writeSettings = value();
    } else if (arg == "--rmob-monthly") {
        o.rmobMonthly = true;
    } else if (arg == "--colorgramme") {
        o.colorgramme = true;
    } else if (arg == "--max") {
        o.manualMaximum = boundedNumber(arg, value(), 1, INT32_MAX, "a positive whole number");
    } else if (arg == "--activity") {
        o.activity = value();
    } else if (arg == "--year") {
        o.activityYear = boundedNumber(arg, value(), 1, 9999, "a year from 1 to 9999");
    } else if (arg == "--reference-days") {
        o.referenceDays = boundedNumber(arg, value(), 1, 60, "1 to 60");
    } else if (arg == "--showers") {
        o.showersFile = value();
    } else if (arg == "--station") {
        o.stationFile = value();
    } else if (arg == "--watch") {
        o.watch = true;
    } else if (arg == "--stall-minutes") {
        o.stallAfter = stallMinutes(value());
    } else if (arg == "--show-settings") {
        o.showSettings = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
        throw UsageError{"unknown option '" + arg + "'"};
    } else if (o.dataFile) {
        throw UsageError{"only one DATAFILE may be given"};
    } else {
        o.dataFile = arg;
    }
}

// The options that only go with others.
void checkCombinations(const Options& o) {
    const int modes = (o.dataFile ? 1 : 0) + (o.writeSettings ? 1 : 0) + (o.showSettings ? 1 : 0);
    if (!o.help && !o.version && modes != 1) {
        throw UsageError{modes == 0 ? "no DATAFILE given"
                                    : "give one of DATAFILE, --write-settings, --show-settings"};
    }
    const std::pair<bool, const char*> rules[] = {
        {o.outputDir && !o.dataFile, "-C goes with a DATAFILE"},
        {(o.rmobMonthly || o.stationFile) && !o.dataFile,
         "--rmob-monthly and --station go with a DATAFILE"},
        {(o.colorgramme || o.manualMaximum) && !o.dataFile, "--colorgramme goes with a DATAFILE"},
        {o.manualMaximum && !o.colorgramme, "--max goes with --colorgramme"},
        {o.stationFile && !o.rmobMonthly && !o.activity,
         "--station goes with --rmob-monthly or --activity"},
        {(o.activity || o.activityYear || o.showersFile) && !o.dataFile,
         "--activity goes with a DATAFILE"},
        {(o.activityYear || o.showersFile || o.referenceDays) && !o.activity,
         "--year, --showers and --reference-days go with --activity"},
        {o.watch && !o.dataFile, "--watch goes with a DATAFILE"},
        {o.stallAfter && !o.watch, "--stall-minutes goes with --watch"},
        {o.watch && o.activity, "--activity does not go with --watch"},
    };
    for (const auto& [broken, message] : rules) {
        if (broken) {
            throw UsageError{message};
        }
    }
}

Options parseArgs(int argc, char* argv[]) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        takeArgument(o, arg, [&]() -> std::string {
            if (i + 1 >= argc) {
                throw UsageError{arg + " needs a value"};
            }
            return argv[++i];
        });
    }
    checkCombinations(o);
    return o;
}

// Everything for standard output goes through here: a script that sends it
// to a full disk or a closed pipe gets exit status 1, not a silent success.
void flushStdout() {
    if (std::fflush(stdout) != 0) {
        throwIoError(FileOperation::Write, "standard output", errno);
    }
}

void writeStdout(std::string_view text, bool flush = false) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        throwIoError(FileOperation::Write, "standard output", errno);
    }
    if (flush) {
        flushStdout();
    }
}

// One write per message: standard error is unbuffered, and a file of a
// million implausible lines prints a million messages.
void printMessage(const std::string& cp932) {
    std::string text = cliText(crToLf(cp932ToUtf8(cp932)));
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// Only plain files are read: a folder fails, and a pipe or a device such as
// /dev/zero could block or never end.
void requireRegularFile(const char* what, const std::string& name) {
    if (fileExists(name)) {
        return;
    }
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(name, ec);
    std::string cause = "not a regular file";
    if (st.type() == std::filesystem::file_type::directory) {
        cause = std::strerror(EISDIR);
    } else if (!std::filesystem::exists(st)) {
        cause = std::strerror(ec ? ec.value() : ENOENT);
    }
    throw IoError(std::string(what) + " '" + name + "': " + cause);
}

Settings loadCliSettings(const Options& o) {
    Settings settings;
    setDefaultSettings(settings);
    if (o.settingsFile) {
        requireRegularFile("Cannot read settings file", *o.settingsFile);
        settings.filePath = *o.settingsFile;
    } else {
        // The window's settings file, found by the window's rule.
        settings.filePath = defaultSettingsFileName("velkreport.ini");
    }
    loadSettings(settings, printMessage);
    for (const std::string& s : o.sets) {
        applySetting(settings, s);
    }
    return settings;
}

StationInfo loadCliStation(const Options& o, const Settings& settings) {
    if (!o.rmobMonthly && !o.activity) {
        return {};
    }
    const std::string stationFile =
        o.stationFile ? *o.stationFile : defaultStationFileName(settings.filePath);
    if (o.stationFile) {
        requireRegularFile("Cannot read station file", stationFile);
    } else if (o.rmobMonthly && !fileExists(stationFile)) {
        std::cerr << cliText("観測局ファイルがありません: " + stationFile) << std::endl;
    }
    return loadStationInfo(stationFile);
}

ActivityRequest activityRequestOf(const Options& o, const Settings& settings,
                                  const StationInfo& station) {
    if (o.showersFile) {
        requireRegularFile("Cannot read shower list", *o.showersFile);
    }
    ActivityRequest activity{
        *o.activity, o.activityYear, loadShowerList(settings.filePath, o.showersFile), station, {}};
    if (o.referenceDays) {
        activity.options.windowDays = *o.referenceDays;
        activity.options.maximumWindowDays =
            std::max(activity.options.maximumWindowDays, *o.referenceDays);
    }
    return activity;
}

void printSummary(const Summary& s, const std::vector<std::string>& activityLines) {
    for (auto [name, value] :
         {std::pair<const char*, const std::string*>{"StartData", &s.firstLine},
          {"StartDay", &s.firstSlot},
          {"InData", &s.lineCount},
          {"AllData", &s.rowCount},
          {"EndData", &s.lastLine},
          {"EndDay", &s.lastSlot},
          {"NGData", &s.rejectedCount},
          {"NotData", &s.gapCount}}) {
        writeStdout(name);
        writeStdout("=");
        writeStdout(*value);
        writeStdout("\n");
    }
    if (s.endMark) {
        writeStdout("EndMark=line " + std::to_string(s.endMark->line) + ", byte " +
                    std::to_string(s.endMark->byte) + "\n");
    }
    for (const std::string& line : activityLines) {
        writeStdout(line);
        writeStdout("\n");
    }
    flushStdout();
}

// The pictures and the monthly files the options ask for, beside the outputs.
void writeMonthlyOutputs(const Options& o, const UtHourList& hours, const StationInfo& station,
                         const OutputWriter& writer) {
    if (o.rmobMonthly) {
        const std::string warning = cliText(stationWarningText(station));
        if (!warning.empty()) {
            std::cerr << warning << std::endl;
        }
        writer.writeRmobMonthlyFiles(rmobMonthlyFiles(hours, station));
    }
    if (o.colorgramme) {
        writer.writeColorgrammes(buildColorgrammes(hours), o.manualMaximum);
    }
}

int watchDataFile(const Options& o, const Settings& settings, const StationInfo& station) {
    WatchRequest request;
    request.dataFile = *o.dataFile;
    request.settings = settings;
    request.outputFolder = o.outputDir.value_or("");
    request.rmobMonthly = o.rmobMonthly;
    request.station = station;
    request.colorgrammes = o.colorgramme;
    request.manualMaximum = o.manualMaximum;
    request.stallAfter = o.stallAfter.value_or(RecorderHealth::kDefaultStallAfter);
    request.onMessage = printMessage;
    request.printSummary = [](const Summary& summary) { printSummary(summary, {}); };
    return runWatch(request);
}

int runDataFile(const Options& o, const Settings& settings) {
    const StationInfo station = loadCliStation(o, settings);
    std::optional<ActivityRequest> activity;
    if (o.activity) {
        activity = activityRequestOf(o, settings, station);
    }
    requireRegularFile("Cannot read data file", *o.dataFile);
    if (o.watch) {
        return watchDataFile(o, settings, station);
    }

    // The ten-minute table goes to its file as the rows are read; the
    // other four follow, in the order the window writes them.
    const OutputWriter writer(o.outputDir.value_or(""));
    TextFileWriter table = writer.open(Output::TenMinuteTable);
    RunRequest request;
    request.dataFile = *o.dataFile;
    request.settings = settings;
    request.onMessage = printMessage;
    request.tenMinuteTableSink = [&table](std::string_view piece) { table.write(piece); };
    const RunResult result = runReport(request);
    table.close();
    writeOutputs(result, {Output::TextReport, Output::Rmob, Output::HourTable, Output::NoObsList},
                 writer);
    writeMonthlyOutputs(o, result.hours, station, writer);
    std::vector<std::string> activityLines;
    if (activity) {
        activityLines = runActivityCommand(result.hours, *activity, writer);
    }
    printSummary(result.summary, activityLines);
    return 0;
}

int run(const Options& o) {
    const Settings settings = loadCliSettings(o);
    if (o.writeSettings) {
        Settings out = settings;
        out.filePath = *o.writeSettings;
        saveSettings(out);
        return 0;
    }
    if (o.showSettings) {
        writeStdout(cliText(crToLf(cp932ToUtf8(settingsDisplayText(settings)))), true);
        return 0;
    }
    return runDataFile(o, settings);
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        const Options o = parseArgs(argc, argv);
        if (o.help) {
            writeStdout(kUsage, true);
            return 0;
        }
        if (o.version) {
            writeStdout(std::string(kCliVersion) + '\n', true);
            return 0;
        }
        return run(o);
    } catch (const UsageError& e) {
        std::cerr << "velkreport-cli: " << e.message << "\n\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "velkreport-cli: " << e.what() << '\n';
        return 1;
    }
}
