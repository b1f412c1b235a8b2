// Arbitrary bytes as a data file, through the whole recompute the window and
// the command-line tool run: read, normalise, fold, rates, the text report,
// the RMOB tables and every writer, into a scratch folder. The input size picks
// one of four settings so that every report option is reached too.

#include "FuzzSupport.h"

#include "config/Settings.h"
#include "pipeline/Recompute.h"
#include "shared/DateTime.h"
#include "shared/IoError.h"
#include "shared/ReadAhead.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace {

void chooseSettings(Settings& cnf, std::size_t variant) {
    cnf = Settings{};
    cnf.reportLongEcho = cnf.tenMinuteHeaderLine = cnf.hourHeaderLine = cnf.rmobLongEcho =
        cnf.percentRates = true;
    cnf.utOffsetHours = -9;
    cnf.longEchoSeconds = 10;
    cnf.otherDataSeconds = 20;
    cnf.noiseMinutes = 20;
    cnf.alwaysWriteTextReport = cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable =
        cnf.alwaysWriteRmob = true;
    switch (variant % 4) {
    case 1: // everything shown, station west of Greenwich, every hour a rate
        cnf.reportOtherData = cnf.rmobOtherData = cnf.longEchoDurationKnown =
            cnf.otherDataDurationKnown = true;
        cnf.utOffsetHours = 12;
        cnf.noiseMinutes = 0;
        break;
    case 2: // as little as possible, and the tables only shown
        cnf.reportLongEcho = cnf.percentRates = cnf.rmobLongEcho = cnf.tenMinuteHeaderLine =
            cnf.hourHeaderLine = false;
        cnf.alwaysWriteTenMinuteTable = cnf.alwaysWriteHourTable = false;
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

// Slots past which an input is only read and normalised. Dates a few years
// apart fill hundreds of thousands of gap rows that take the writers seconds
// without reaching new code; kept in the corpus, they would slow every later
// run to a crawl. The hostile-file tests write files of that size.
constexpr std::size_t kMaxSlotsWritten = 5'000;

std::vector<std::string> rejectedLines(const TenMinuteTable& table) {
    std::vector<std::string> lines;
    for (const RejectedLine* line = table.rejectedTop.get(); line->next; line = line->next.get()) {
        lines.push_back(line->line);
    }
    return lines;
}

// The one-pass load of `source` must hand on the rows of the two passes in
// their order and set aside the same lines; returns the number of rows.
template <typename Source>
std::size_t checkOnePass(const TenMinuteTable& probe, Source&& source, const char* how) {
    static TenMinuteTable streamed;
    streamed.init();
    std::size_t slots = 0;
    const TenMinuteRow* expected = probe.top.get();
    streamed.loadNormalized(
        std::forward<Source>(source),
        [&](const TenMinuteRow& row) {
            if (!expected->next || tenMinuteRowText(row) != tenMinuteRowText(*expected)) {
                std::fprintf(stderr, "velk-fuzz: the one-pass load %s differs at row %zu\n", how,
                             slots);
                std::abort();
            }
            expected = expected->next.get();
            ++slots;
        },
        KeepRows::No);
    if (expected->next || rejectedLines(streamed) != rejectedLines(probe)) {
        std::fprintf(stderr, "velk-fuzz: the one-pass load %s differs at its end\n", how);
        std::abort();
    }
    return slots;
}

// Reads the input as two passes (read, then normalise), as the one pass that
// lets each row go once handed on, and as that pass over the file arriving in
// pieces of a few bytes (line ends split between them): each must give the
// same rows. Then counts the slots.
bool tooManySlots(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static TenMinuteTable probe;
    probe.init();
    probe.loadText(text);
    probe.normalize();
    const std::size_t slots = checkOnePass(probe, text, "of the text");
    fuzz::writeInput("velkdata.csv", data, size);
    ReadAhead pieces("velkdata.csv", 1 + size % 13);
    checkOnePass(probe, pieces, "of the file in pieces");
    return slots > kMaxSlotsWritten;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (tooManySlots(data, size)) {
        return -1; // read and normalised, but kept out of the corpus
    }
    // tooManySlots has written the input to velkdata.csv.

    // One workspace for every input: its node pools and buffers are reused,
    // as a window reuses its own from one recompute to the next.
    static Workspace ws;
    ws.onMessage = [](const std::string&) {};
    ws.textReportStale = true;
    ws.rmobStale = false;
    chooseSettings(ws.settings, size);

    RecomputeView view;
    Recompute recompute(ws, view);
    try {
        if (!recompute.recompute("velkdata.csv")) {
            std::fprintf(stderr, "velk-fuzz: the data file vanished\n");
            std::abort();
        }
        // The on-demand outputs after a run, as the window's buttons give them.
        recompute.writeTenMinuteTable();
        recompute.writeHourTable();
        ws.textReportStale = true;
        recompute.updateAndWriteTextReport();
        recompute.buildRmobTables();
        recompute.writeRmobTables();
    } catch (const IoError& e) {
        // The scratch folder is ours: a write that fails there is no finding
        // of the input but a broken harness.
        std::fprintf(stderr, "velk-fuzz: %s\n", e.what());
        std::abort();
    }
    return 0;
}
