// Command-line front end: the same pipeline as the window, for observers who
// run their daily reports from a script. Messages that the window shows in
// boxes go to standard error in UTF-8; the summary goes to standard output.

#include "ActivityCommand.h"
#include "config/ProgramInfo.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "pipeline/Recompute.h"
#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"
#include "reports/RmobMonthly.h"
#include "shared/CodePage.h"
#include "shared/DateTime.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
    "  --write-settings FILE  write the effective settings as a settings file and exit\n"
    "  --show-settings        print the effective settings and exit\n";

struct UsageError {
    std::string message;
};

// Keeps the summary; the rest of what a window shows has no place here.
class CliView : public RecomputeView {
public:
    Summary summary;
    void setSummary(const Summary& s) override { summary = s; }
    // No button to label: the captions would only load the code page
    // converter, some 0.2 ms of a run.
    void setRecomputeBusy(bool) override {}
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
    bool help = false;
    bool version = false;
    std::optional<std::string> dataFile;
};

Options parseArgs(int argc, char* argv[]) {
    Options o;
    auto needValue = [&](int& i, const std::string& opt) -> std::string {
        if (i + 1 >= argc) {
            throw UsageError{opt + " needs a value"};
        }
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--settings") {
            o.settingsFile = needValue(i, arg);
        } else if (arg == "--set") {
            o.sets.push_back(needValue(i, arg));
        } else if (arg == "-C") {
            o.outputDir = needValue(i, arg);
        } else if (arg == "--write-settings") {
            o.writeSettings = needValue(i, arg);
        } else if (arg == "--rmob-monthly") {
            o.rmobMonthly = true;
        } else if (arg == "--colorgramme") {
            o.colorgramme = true;
        } else if (arg == "--max") {
            const std::string v = needValue(i, arg);
            auto n = parseInt(v);
            if (!n || *n <= 0) {
                throw UsageError{"--max takes a positive whole number, got '" + v + "'"};
            }
            o.manualMaximum = *n;
        } else if (arg == "--activity") {
            o.activity = needValue(i, arg);
        } else if (arg == "--year") {
            const std::string v = needValue(i, arg);
            auto n = parseInt(v);
            if (!n || *n < 1 || *n > 9999) {
                throw UsageError{"--year takes a year from 1 to 9999, got '" + v + "'"};
            }
            o.activityYear = *n;
        } else if (arg == "--reference-days") {
            const std::string v = needValue(i, arg);
            auto n = parseInt(v);
            if (!n || *n < 1 || *n > 60) {
                throw UsageError{"--reference-days takes 1 to 60, got '" + v + "'"};
            }
            o.referenceDays = *n;
        } else if (arg == "--showers") {
            o.showersFile = needValue(i, arg);
        } else if (arg == "--station") {
            o.stationFile = needValue(i, arg);
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
    const int modes = (o.dataFile ? 1 : 0) + (o.writeSettings ? 1 : 0) + (o.showSettings ? 1 : 0);
    if (!o.help && !o.version && modes != 1) {
        throw UsageError{modes == 0 ? "no DATAFILE given"
                                    : "give one of DATAFILE, --write-settings, --show-settings"};
    }
    if (o.outputDir && !o.dataFile) {
        throw UsageError{"-C goes with a DATAFILE"};
    }
    if ((o.rmobMonthly || o.stationFile) && !o.dataFile) {
        throw UsageError{"--rmob-monthly and --station go with a DATAFILE"};
    }
    if ((o.colorgramme || o.manualMaximum) && !o.dataFile) {
        throw UsageError{"--colorgramme goes with a DATAFILE"};
    }
    if (o.manualMaximum && !o.colorgramme) {
        throw UsageError{"--max goes with --colorgramme"};
    }
    if (o.stationFile && !o.rmobMonthly && !o.activity) {
        throw UsageError{"--station goes with --rmob-monthly or --activity"};
    }
    if ((o.activity || o.activityYear || o.showersFile) && !o.dataFile) {
        throw UsageError{"--activity goes with a DATAFILE"};
    }
    if ((o.activityYear || o.showersFile || o.referenceDays) && !o.activity) {
        throw UsageError{"--year, --showers and --reference-days go with --activity"};
    }
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
    std::string text = crToLf(cp932ToUtf8(cp932));
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

int run(const Options& o) {
    Workspace ws;
    ws.onMessage = printMessage;
    Settings& settings = ws.settings;
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

    if (o.writeSettings) {
        Settings out = settings;
        out.filePath = *o.writeSettings;
        saveSettings(out);
        return 0;
    }
    if (o.showSettings) {
        writeStdout(crToLf(cp932ToUtf8(settingsDisplayText(settings))), true);
        return 0;
    }

    // Every output is written, as the window does with every always-write
    // setting on.
    settings.alwaysWriteTextReport = settings.alwaysWriteTenMinuteTable =
        settings.alwaysWriteHourTable = settings.alwaysWriteRmob = true;

    const std::string dataFile = std::filesystem::absolute(*o.dataFile).string();
    // Read before changing folder, so a relative --station names what the user meant.
    StationInfo station;
    if (o.rmobMonthly || o.activity) {
        const std::string stationFile =
            o.stationFile ? *o.stationFile : defaultStationFileName(settings.filePath);
        if (o.stationFile) {
            requireRegularFile("Cannot read station file", stationFile);
        }
        station = loadStationInfo(stationFile);
    }
    ActivityRequest activity;
    if (o.activity) {
        if (o.showersFile) {
            requireRegularFile("Cannot read shower list", *o.showersFile);
        }
        activity = {*o.activity,
                    o.activityYear,
                    loadShowerList(settings.filePath, o.showersFile),
                    station,
                    {}};
        if (o.referenceDays) {
            activity.options.windowDays = *o.referenceDays;
            activity.options.maximumWindowDays =
                std::max(activity.options.maximumWindowDays, *o.referenceDays);
        }
    }
    requireRegularFile("Cannot read data file", *o.dataFile);
    if (o.outputDir) {
        std::error_code ec;
        std::filesystem::current_path(*o.outputDir, ec);
        if (ec) {
            throwIoError(FileOperation::ChangeFolder, *o.outputDir, ec.value());
        }
    }

    ws.textReportStale = true;

    CliView view;
    // One run writes each output once: the ten-minute rows need not stay.
    Recompute pipeline(ws, view, Progress(), RowRetention::WriteAndRelease);
    pipeline.recompute(dataFile);
    if (o.rmobMonthly) {
        const std::string warning = stationWarningText(station);
        if (!warning.empty()) {
            std::cerr << warning << std::endl;
        }
        pipeline.writeMonthlyRmobFiles(station, "", o.colorgramme, o.manualMaximum);
    } else if (o.colorgramme) {
        writeColorgrammes(buildColorgrammes(ws.hours, settings), "", o.manualMaximum);
    }

    std::vector<std::string> activityLines;
    if (o.activity) {
        activityLines = runActivityCommand(ws.hours, settings, activity);
    }

    // Field by field: the first and the last line of a file without line
    // ends are the whole file, and need no third copy here.
    const Summary& s = view.summary;
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
    for (const std::string& line : activityLines) {
        writeStdout(line);
        writeStdout("\n");
    }
    flushStdout();
    // Every file is closed and the summary is out. Freeing the half million
    // nodes of a decade of data one by one would only delay the exit: the
    // system takes the memory back at once.
    std::fflush(stderr);
    std::_Exit(0);
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
