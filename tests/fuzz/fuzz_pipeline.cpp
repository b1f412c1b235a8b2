// Arbitrary bytes as a data file, through the whole recompute the window and
// the command-line tool run: read, normalise, fold, rates, the text report,
// the RMOB tables and every writer, into a scratch folder. The input size picks
// one of four settings so that every report option is reached too.

#include "FuzzSupport.h"

#include "config/UConfig.h"
#include "pipeline/Recompute.h"
#include "shared/Errors.h"
#include "shared/UFunction.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

class NullView : public RecomputeView {
public:
    std::vector<std::string> textReport;
    std::vector<std::string> rmob;

    void setDataFileName(const std::string&) override {}
    void setRecomputeCaption(const std::string&) override {}
    void showRawData(const std::string&) override {}
    void clearPage(Page) override {}
    void loadPage(Page, const std::string&) override {}
    void setSummary(const Summary&) override {}
    std::vector<std::string> textReportLines() override { return textReport; }
    void setTextReportLines(const std::vector<std::string>& lines) override { textReport = lines; }
    std::vector<std::string> rmobLines() override { return rmob; }
    void setRmobLines(const std::vector<std::string>& lines) override { rmob = lines; }
};

void chooseSettings(TCnfData& cnf, std::size_t variant) {
    cnf = TCnfData{};
    cnf.MLong = cnf.Rep1l1 = cnf.Rep6l1 = cnf.RMOBLE = cnf.HR = true;
    cnf.RTZ = -9;
    cnf.LongTLE = 10;
    cnf.LongTOD = 20;
    cnf.nd = 20;
    cnf.RepTOF = cnf.Rep1OF = cnf.Rep6OF = cnf.RMOBF = true;
    switch (variant % 4) {
    case 1: // everything shown, station west of Greenwich, every hour a rate
        cnf.MOData = cnf.RMOBOD = cnf.LongFLE = cnf.LongFOD = true;
        cnf.RTZ = 12;
        cnf.nd = 0;
        break;
    case 2: // as little as possible, and the tables only shown
        cnf.MLong = cnf.HR = cnf.RMOBLE = cnf.Rep1l1 = cnf.Rep6l1 = false;
        cnf.Rep1OF = cnf.Rep6OF = false;
        cnf.RTZ = -12;
        cnf.nd = 60;
        break;
    case 3: // settings no window offers, as a settings file may hold them
        cnf.MOData = cnf.RMOBOD = true;
        cnf.RTZ = 0;
        cnf.nd = -1;
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

bool tooManySlots(const std::uint8_t* data, std::size_t size) {
    static TCSVDataList probe;
    probe.Init();
    probe.LoadText(std::string(reinterpret_cast<const char*>(data), size));
    probe.Normalize();
    std::size_t slots = 0;
    for (const TCSVDataRecord* row = probe.Top.get(); row->Next; row = row->Next.get()) {
        if (++slots > kMaxSlotsWritten) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    InstallEnglishMonthNames();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (tooManySlots(data, size)) {
        return -1; // read and normalised, but kept out of the corpus
    }
    fuzz::writeInput("velkdata.csv", data, size);

    static TCSVDataList csv;
    static TReportDataList report;
    static TStringRecordList noObs;
    static TCnfData cnf;
    bool reportDirty = true;
    bool rmobDirty = false;
    csv.Init();
    report.Init();
    noObs.Init();
    chooseSettings(cnf, size);

    NullView view;
    Recompute recompute(AppState{csv, report, noObs, cnf, reportDirty, rmobDirty}, view);
    try {
        if (!recompute.Button6Click("velkdata.csv")) {
            std::fprintf(stderr, "velk-fuzz: the data file vanished\n");
            std::abort();
        }
        // The on-demand outputs after a run, as the window's buttons give them.
        recompute.OutPutReport10File();
        recompute.OutPutReport60File();
        reportDirty = true;
        recompute.OutPutReportTEXT();
        recompute.Button12Click();
        recompute.Button11Click();
    } catch (const IoError& e) {
        // The scratch folder is ours: a write that fails there is no finding
        // of the input but a broken harness.
        std::fprintf(stderr, "velk-fuzz: %s\n", e.what());
        std::abort();
    }
    return 0;
}
