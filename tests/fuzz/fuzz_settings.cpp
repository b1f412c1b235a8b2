// Arbitrary bytes as a settings file: load, display, save and load again must
// agree, and both report builds must cope with whatever values were loaded
// (a time zone of two billion hours, a negative noise threshold).

#include "FuzzSupport.h"

#include "config/UConfig.h"
#include "reports/Rmob.h"
#include "reports/TextReport.h"
#include "shared/UFunction.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Hour rows at both ends of the calendar and in between, so that a shift by
// RTZ can leave the years the program reads.
void fillReport(TReportDataList& report) {
    report.Init();
    for (auto [y, mo, d, h, echo, obs] : {std::array<int, 6>{1, 1, 1, 0, 5, 10},
                                          {2004, 1, 5, 9, 12, 60},
                                          {2004, 1, 5, 10, 7, 30},
                                          {2004, 2, 29, 23, 2147483647, 10},
                                          {9999, 12, 31, 23, 3, 50}}) {
        TCSVDataRecord row;
        row.Time = *TryEncodeDateTime(y, mo, d, h, 0, 0);
        row.Echo = echo;
        row.LongEcho = echo / 3;
        row.OtherData = echo / 5;
        row.ObsTime = obs;
        row.Remark = obs < 20 ? "xy" : "";
        report.AddRecord(row);
    }
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "velk-fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    InstallEnglishMonthNames();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::writeInput("in.ini", data, size);

    TCnfData loaded;
    CnfSetDefault(loaded);
    loaded.CnfFileName = "in.ini";
    CnfLoad(loaded);
    if (loaded.CnfFileName != "in.ini") {
        fail("the load lost the settings file name");
    }
    if (CnfShowText(loaded).empty()) {
        fail("empty settings display");
    }

    TCnfData saved = loaded;
    saved.CnfFileName = "out.ini";
    CnfSave(saved);
    TCnfData again;
    CnfSetDefault(again);
    again.CnfFileName = "out.ini";
    CnfLoad(again);
    if (CnfToBytes(again) != CnfToBytes(loaded)) {
        fail("a saved settings file reads back differently");
    }
    if (size >= kCnfStoredSize) {
        // Booleans come back as 0 or 1; integers and padding byte for byte.
        const CnfBytes bytes = CnfToBytes(loaded);
        for (std::size_t i = 0; i < kCnfStoredSize; ++i) {
            const bool isBool = i < 10 || i == 16 || i == 24 || i == 36;
            const std::uint8_t expected = isBool ? (data[i] != 0) : data[i];
            if (bytes[i] != expected) {
                fail("the loaded settings differ from the file's bytes");
            }
        }
    }

    static TReportDataList report;
    fillReport(report);
    std::vector<std::string> view;
    BuildTextReport(report, loaded, view);
    BuildRmob(report, loaded, view);
    return 0;
}
