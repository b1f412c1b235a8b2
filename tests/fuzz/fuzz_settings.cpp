// Arbitrary bytes as a settings file: load, display, save and load again must
// agree, and every report read from the hours must cope with whatever values
// were loaded (a time zone of two billion hours, a negative noise threshold).

#include "FuzzSupport.h"

#include "config/Settings.h"
#include "reports/Colorgramme.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Hour rows at both ends of the calendar and in between, so that a shift by
// RTZ can leave the years the program reads.
std::shared_ptr<const HourTable> hoursAcrossTheCalendar() {
    auto table = std::make_shared<HourTable>();
    for (auto [y, mo, d, h, echo, obs] : {std::array<int, 6>{1, 1, 1, 0, 5, 10},
                                          {2004, 1, 5, 9, 12, 60},
                                          {2004, 1, 5, 10, 7, 30},
                                          {2004, 2, 29, 23, 2147483647, 10},
                                          {9999, 12, 31, 23, 3, 50}}) {
        TenMinuteRow row;
        row.time = *makeTimestamp(y, mo, d, h, 0, 0);
        row.echo = echo;
        row.longEcho = echo / 3;
        row.otherData = echo / 5;
        row.observedMinutes = obs;
        row.remark = obs < 20 ? "xy" : "";
        table->add(row);
    }
    return table;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "velk-fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::writeInput("in.ini", data, size);
    const MessageCallback quiet = [](const std::string&) {};

    Settings loaded;
    setDefaultSettings(loaded);
    loaded.filePath = "in.ini";
    loadSettings(loaded, quiet);
    if (loaded.filePath != "in.ini") {
        fail("the load lost the settings file name");
    }
    if (settingsDisplayText(loaded).empty()) {
        fail("empty settings display");
    }

    Settings saved = loaded;
    saved.filePath = "out.ini";
    saveSettings(saved);
    Settings again;
    setDefaultSettings(again);
    again.filePath = "out.ini";
    loadSettings(again, quiet);
    if (settingsToBytes(again) != settingsToBytes(loaded)) {
        fail("a saved settings file reads back differently");
    }
    if (size >= kSettingsStoredSize) {
        // Booleans come back as 0 or 1; integers and padding byte for byte.
        const SettingsBytes bytes = settingsToBytes(loaded);
        for (std::size_t i = 0; i < kSettingsStoredSize; ++i) {
            const bool isBool = i < 10 || i == 16 || i == 24 || i == 36;
            const std::uint8_t expected = isBool ? (data[i] != 0) : data[i];
            if (bytes[i] != expected) {
                fail("the loaded settings differ from the file's bytes");
            }
        }
    }

    static const std::shared_ptr<const HourTable> table = hoursAcrossTheCalendar();
    const UtHourList hours(table, loaded.utOffsetHours, loaded.noiseMinutes);
    buildTextReport(hours, loaded);
    buildRmob(hours, loaded);
    buildColorgrammes(hours);
    buildRmobMonthTables(hours);
    return 0;
}
