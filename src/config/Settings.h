#pragma once
// The settings record and its file. The stored part is exactly 40 bytes at
// fixed offsets (little-endian, padding kept as read); it is serialised field
// by field, never by copying the structure. Defaults live in setDefaultSettings only.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "shared/Messages.h"

constexpr std::size_t kSettingsStoredSize = 40;
using SettingsBytes = std::array<std::uint8_t, kSettingsStoredSize>;

struct Settings {
    bool reportLongEcho = false;            // text report: long-echo lines
    bool reportOtherData = false;           // text report: other-data lines
    bool alwaysWriteTextReport = false;     // write the text report after every recompute
    bool tenMinuteHeaderLine = false;       // report10.csv starts with its format line
    bool alwaysWriteTenMinuteTable = false; // write report10.csv after every recompute
    bool hourHeaderLine = false;            // report60.csv starts with its format line
    bool alwaysWriteHourTable = false;      // write report60.csv after every recompute
    bool alwaysWriteRmob = false;           // write rmob.txt after every recompute
    bool rmobLongEcho = false;              // RMOB output: long-echo table
    bool rmobOtherData = false;             // RMOB output: other-data table
    std::int32_t utOffsetHours = 0;         // hours added to local time to get UT
    bool longEchoDurationKnown = false;     // only labels the RMOB tables
    std::int32_t longEchoSeconds = 0;       // only labels the RMOB tables
    bool otherDataDurationKnown = false;    // only labels the RMOB tables
    std::int32_t otherDataSeconds = 0;      // only labels the RMOB tables
    std::int32_t noiseMinutes = 0;          // this many observed minutes or fewer is noise
    bool percentRates = false;              // text report: partial hours as "%" rates
    // The stored bytes as last read: the padding between the fields goes back
    // to the file unchanged.
    SettingsBytes storedAsRead{};
    std::string filePath; // never stored
};

// One stored field: its name (the one the command line's --set takes and the
// settings display shows), where its bytes lie, its default, and the member.
// Exactly one of flag and number is set. This table is the only list of the
// fields; defaults, the file, the command line and the window follow it.
struct SettingField {
    const char* name;
    std::size_t offset; // byte offset in the stored record; flags 1 byte, numbers 4
    std::int32_t defaultValue;
    bool Settings::*flag;
    std::int32_t Settings::*number;
};
const std::array<SettingField, 17>& settingFields();
// The field of that name; nullptr for none.
const SettingField* findSettingField(std::string_view name);

// Where the settings file of the program at programFile lives. Beside the
// program, named settingsName (default: the program's own name with ".ini"),
// while the program's folder takes new files; otherwise, as for a program
// installed into a system folder, under that name in userConfigFolder(),
// which is then created. The station file and the window's preferences
// follow the settings file.
std::string settingsFileFor(const std::filesystem::path& programFile,
                            std::string_view settingsName = {});
// settingsFileFor the running program.
std::string defaultSettingsFileName(std::string_view settingsName = {});
// The user's configuration folder for this program: $XDG_CONFIG_HOME/velkreport
// when that is an absolute path, else $HOME/.config/velkreport (what the
// window's QStandardPaths::GenericConfigLocation gives); empty when neither is
// set. The arguments are the two variables' values, nullptr when unset.
std::filesystem::path userConfigFolder(const char* xdgConfigHome, const char* home);
// Whether a new file can be made in folder: tried, not guessed from the
// permission bits, which say nothing of read-only file systems or of root.
bool folderTakesNewFiles(const std::filesystem::path& folder);

// Sets every stored field to its default. The padding and filePath are left
// alone: where the file lies is the caller's to say (finding the default
// place tries a file in the program's folder).
void setDefaultSettings(Settings& settings);
// Reads the first 40 bytes of the settings file. A missing file gives the
// defaults silently; a short or unreadable one shows the message and gives
// the defaults. Never throws.
void loadSettings(Settings& settings, const MessageCallback& onMessage = {});
// Writes exactly the 40 stored bytes; throws IoError naming the file.
void saveSettings(const Settings& settings);

SettingsBytes settingsToBytes(const Settings& settings);
void settingsFromBytes(Settings& settings, const SettingsBytes& bytes);

const char* boolText(bool value); // "True" or "False"
// The display text, code page 932, each line ended by a single CR.
std::string settingsDisplayText(const Settings& settings);
