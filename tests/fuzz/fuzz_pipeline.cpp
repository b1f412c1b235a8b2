// Arbitrary bytes as a data file, through the whole run the window and the
// command-line tool make: read, settle, fold, the text report, the RMOB
// tables, and every writer into a scratch folder. The input size picks one of
// four settings so that every report option is reached too.

#include "FuzzSupport.h"

#include "config/Settings.h"
#include "data/DataFileReader.h"
#include "pipeline/OutputWriter.h"
#include "pipeline/Run.h"
#include "reports/Colorgramme.h"
#include "reports/RmobMonthly.h"
#include "shared/IoError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void chooseSettings(Settings& cnf, std::size_t variant) {
    cnf = Settings{};
    cnf.reportLongEcho = cnf.tenMinuteHeaderLine = cnf.hourHeaderLine = cnf.rmobLongEcho =
        cnf.percentRates = true;
    cnf.utOffsetHours = -9;
    cnf.longEchoSeconds = 10;
    cnf.otherDataSeconds = 20;
    cnf.noiseMinutes = 20;
    switch (variant % 4) {
    case 1: // everything shown, station west of Greenwich, every hour a rate
        cnf.reportOtherData = cnf.rmobOtherData = cnf.longEchoDurationKnown =
            cnf.otherDataDurationKnown = true;
        cnf.utOffsetHours = 12;
        cnf.noiseMinutes = 0;
        break;
    case 2: // as little as possible
        cnf.reportLongEcho = cnf.percentRates = cnf.rmobLongEcho = cnf.tenMinuteHeaderLine =
            cnf.hourHeaderLine = false;
        cnf.utOffsetHours = -12;
        cnf.noiseMinutes = 60;
        break;
    case 3: // settings no window offers, as a settings file may hold them
        cnf.reportOtherData = cnf.rmobOtherData = true;
        cnf.utOffsetHours = 0;
        cnf.noiseMinutes = -1;
        break;
    default:
        break;
    }
}

// Slots past which an input is only read and settled. Dates a few years
// apart fill hundreds of thousands of gap rows that take the writers seconds
// without reaching new code; kept in the corpus, they would slow every later
// run to a crawl. The hostile-file tests write files of that size.
constexpr std::size_t kMaxSlotsWritten = 5'000;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "velk-fuzz: %s\n", what);
    std::abort();
}

// The table made line by line from the settled rows, which the run's
// formatter makes in batches on other threads.
std::string plainTable(std::string_view text, std::size_t& slots) {
    std::string table;
    DataFileHandlers handlers;
    handlers.onRow = [&](const TenMinuteRow& row) {
        appendTenMinuteLine(table, row);
        table += "\r\n";
        ++slots;
    };
    handlers.onMessage = [](const std::string&) {};
    readDataText(text, handlers);
    return table;
}

// The outputs of a run and what the window's buttons add, written into the
// scratch folder.
void writeEverything(const RunResult& result, const Settings& settings) {
    const OutputWriter writer("");
    writeOutputs(result, {std::begin(kAllOutputs), std::end(kAllOutputs)}, writer);
    writer.writeRmobMonthlyFiles(rmobMonthlyFiles(result.hours, StationInfo{}));
    writer.writeColorgrammes(buildColorgrammes(result.hours), std::nullopt);
    const UtHourList utc = result.hours.withRules(0, settings.noiseMinutes);
    writer.writeRmobMonthlyFiles(rmobMonthlyFiles(utc, StationInfo{}));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t slots = 0;
    const std::string plain = plainTable(text, slots);
    if (slots > kMaxSlotsWritten) {
        return -1; // read and settled, but kept out of the corpus
    }
    fuzz::writeInput("velkdata.csv", data, size);
    RunRequest request;
    request.dataFile = "velkdata.csv";
    chooseSettings(request.settings, size);
    request.onMessage = [](const std::string&) {};
    request.keepDataBytes = true;
    try {
        const RunResult result = runReport(request);
        if (withTenMinuteHeader(result.tenMinuteTable, false) != plain) {
            fail("the formatted table differs from the rows' lines");
        }
        if (!result.dataBytes || *result.dataBytes != text) {
            fail("the kept bytes differ from the file");
        }
        std::string pieces;
        request.tenMinuteTableSink = [&pieces](std::string_view piece) { pieces += piece; };
        request.keepDataBytes = false;
        if (runReport(request).tenMinuteTable != "" || pieces != result.tenMinuteTable) {
            fail("the table handed on in pieces differs from the result's");
        }
        writeEverything(result, request.settings);
    } catch (const IoError& e) {
        // The scratch folder is ours: a file that cannot be read or written
        // there is no finding of the input but a broken harness.
        fail(e.what());
    }
    return 0;
}
