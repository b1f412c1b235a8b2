#include "config/Settings.h"

#include "shared/CodePage.h"
#include "shared/FileNames.h"
#include "shared/IoError.h"
#include "shared/Messages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

void putInt32(SettingsBytes& bytes, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

std::int32_t getInt32(const SettingsBytes& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    // Two's complement by definition since C++20; the conversion is exact.
    return static_cast<std::int32_t>(u);
}

constexpr SettingField flagField(const char* name, std::size_t offset, bool defaultValue,
                                 bool Settings::*member) {
    return {name, offset, defaultValue ? 1 : 0, member, nullptr};
}

constexpr SettingField numberField(const char* name, std::size_t offset, std::int32_t defaultValue,
                                   std::int32_t Settings::*member) {
    return {name, offset, defaultValue, nullptr, member};
}

// In the order of the stored record; the gaps (bytes 10-11, 17-19, 25-27,
// 37-39) are padding.
constexpr std::array<SettingField, 17> kFields = {{
    flagField("MLong", 0, true, &Settings::reportLongEcho),
    flagField("MOData", 1, false, &Settings::reportOtherData),
    flagField("RepTOF", 2, false, &Settings::alwaysWriteTextReport),
    flagField("Rep1l1", 3, true, &Settings::tenMinuteHeaderLine),
    flagField("Rep1OF", 4, false, &Settings::alwaysWriteTenMinuteTable),
    flagField("Rep6l1", 5, true, &Settings::hourHeaderLine),
    flagField("Rep6OF", 6, false, &Settings::alwaysWriteHourTable),
    flagField("RMOBF", 7, false, &Settings::alwaysWriteRmob),
    flagField("RMOBLE", 8, true, &Settings::rmobLongEcho),
    flagField("RMOBOD", 9, false, &Settings::rmobOtherData),
    numberField("RTZ", 12, -9, &Settings::utOffsetHours),
    flagField("LongFLE", 16, false, &Settings::longEchoDurationKnown),
    numberField("LongTLE", 20, 10, &Settings::longEchoSeconds),
    flagField("LongFOD", 24, false, &Settings::otherDataDurationKnown),
    numberField("LongTOD", 28, 20, &Settings::otherDataSeconds),
    numberField("nd", 32, 20, &Settings::noiseMinutes),
    flagField("HR", 36, true, &Settings::percentRates),
}};

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Reads the first 40 bytes; false when the file cannot be opened for reading,
// is shorter, or a read or close fails.
bool readStoredPart(const std::string& name, SettingsBytes& bytes) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        return false;
    }
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0 && got == bytes.size();
}

void appendLine(std::string& text, std::string_view utf8Label, const std::string& value = {}) {
    text += utf8ToCp932(utf8Label);
    text += value;
    text += '\r';
}

} // namespace

std::filesystem::path userConfigFolder(const char* xdgConfigHome, const char* home) {
    // The base directory rules: a relative XDG_CONFIG_HOME is to be ignored.
    if (xdgConfigHome && *xdgConfigHome && std::filesystem::path(xdgConfigHome).is_absolute()) {
        return std::filesystem::path(xdgConfigHome) / "velkreport";
    }
    if (home && *home) {
        return std::filesystem::path(home) / ".config" / "velkreport";
    }
    return {};
}

bool folderTakesNewFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return false;
    }
    // "wx" fails rather than touching a file that happens to carry the name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path probe =
            folder / (".velkreport-probe-" + std::to_string(attempt));
        if (std::FILE* f = std::fopen(probe.c_str(), "wx")) {
            std::fclose(f);
            std::filesystem::remove(probe, ec);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

std::string settingsFileFor(const std::filesystem::path& programFile,
                            std::string_view settingsName) {
    const std::string name = settingsName.empty()
                                 ? replaceExtension(programFile.filename().string(), ".ini")
                                 : std::string(settingsName);
    const std::filesystem::path programFolder = programFile.parent_path();
    if (folderTakesNewFiles(programFolder.empty() ? std::filesystem::path(".") : programFolder)) {
        return (programFolder / name).string();
    }
    const std::filesystem::path config =
        userConfigFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (config.empty()) {
        return (programFolder / name).string();
    }
    // Made now, so that the first save there finds its folder.
    std::error_code ec;
    std::filesystem::create_directories(config, ec);
    return (config / name).string();
}

std::string defaultSettingsFileName(std::string_view settingsName) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        std::error_code cwdEc;
        const std::filesystem::path cwd = std::filesystem::current_path(cwdEc);
        exe = cwdEc ? std::filesystem::path("velkreport") : cwd / "velkreport";
    }
    return settingsFileFor(exe, settingsName);
}

const std::array<SettingField, 17>& settingFields() {
    return kFields;
}

const SettingField* findSettingField(std::string_view name) {
    for (const SettingField& field : kFields) {
        if (name == field.name) {
            return &field;
        }
    }
    return nullptr;
}

void setDefaultSettings(Settings& settings) {
    for (const SettingField& field : kFields) {
        if (field.flag) {
            settings.*field.flag = field.defaultValue != 0;
        } else {
            settings.*field.number = field.defaultValue;
        }
    }
}

SettingsBytes settingsToBytes(const Settings& settings) {
    SettingsBytes bytes = settings.storedAsRead;
    for (const SettingField& field : kFields) {
        if (field.flag) {
            bytes[field.offset] = settings.*field.flag ? 1 : 0;
        } else {
            putInt32(bytes, field.offset, settings.*field.number);
        }
    }
    return bytes;
}

void settingsFromBytes(Settings& settings, const SettingsBytes& bytes) {
    settings.storedAsRead = bytes;
    for (const SettingField& field : kFields) {
        if (field.flag) {
            // Any non-zero byte is true: older files and hand edits may hold 2 or 255.
            settings.*field.flag = bytes[field.offset] != 0;
        } else {
            settings.*field.number = getInt32(bytes, field.offset);
        }
    }
}

void loadSettings(Settings& settings, const MessageCallback& onMessage) {
    // The file name the caller chose (the command-line tool may name another
    // file) stays; the defaults would otherwise point a later save elsewhere.
    std::string fileName;
    try {
        fileName = settings.filePath;
        SettingsBytes bytes{};
        // Read-only access: a settings file that may be read but not written
        // still holds the user's settings.
        if (readStoredPart(fileName, bytes)) {
            settingsFromBytes(settings, bytes);
            return;
        }
        // A missing file is a first start. Anything else under that name (a
        // short or unreadable file, even a folder) is a settings file gone bad.
        std::error_code ec;
        if (!fileName.empty() && std::filesystem::exists(fileName, ec)) {
            deliverMessage(
                onMessage,
                utf8ToCp932("設定ファイルの中身が違います。\rデフォルト値を設定しました。"));
        }
    } catch (...) {
        // A failing message handler must not stop start-up: the defaults follow.
    }
    try {
        setDefaultSettings(settings);
        settings.filePath = std::move(fileName);
    } catch (...) {
    }
}

void saveSettings(const Settings& settings) {
    const std::string& name = settings.filePath;
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError(FileOperation::Create, name, EISDIR);
    }
    FilePtr f(std::fopen(name.c_str(), "wb"), &std::fclose);
    if (!f) {
        throwIoError(FileOperation::Create, name, errno);
    }
    const SettingsBytes bytes = settingsToBytes(settings);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
        throwIoError(FileOperation::Write, name, errno);
    }
    // The close flushes the buffer: a full disk shows only here.
    if (std::fclose(f.release()) != 0) {
        throwIoError(FileOperation::Write, name, errno);
    }
}

const char* boolText(bool value) {
    return value ? "True" : "False";
}

std::string settingsDisplayText(const Settings& settings) {
    const auto b = [](bool v) { return std::string(boolText(v)); };
    const auto i = [](std::int32_t v) { return std::to_string(v); };
    std::string text;
    appendLine(text, "設定内容");
    appendLine(text, "設定ファイル名      ", settings.filePath);
    appendLine(text, "ロングエコーの継続時間");
    appendLine(text, "            LongFLE ", b(settings.longEchoDurationKnown));
    appendLine(text, "            LongTLE ", i(settings.longEchoSeconds));
    appendLine(text, "            LongFOD ", b(settings.otherDataDurationKnown));
    appendLine(text, "            LongTOD ", i(settings.otherDataSeconds));
    appendLine(text, "Report TEXT         ");
    appendLine(text, "       Long を出力  ", b(settings.reportLongEcho));
    appendLine(text, "       Otherを出力  ", b(settings.reportOtherData));
    appendLine(text, "       HR出集計する ", b(settings.percentRates));
    appendLine(text, "          破棄する  ", i(settings.noiseMinutes));
    appendLine(text, "Report10            ");
    appendLine(text, "       1行目の出力  ", b(settings.tenMinuteHeaderLine));
    appendLine(text, "  常にファイル出力  ", b(settings.alwaysWriteTenMinuteTable));
    appendLine(text, "Report60            ");
    appendLine(text, "       1行目の出力  ", b(settings.hourHeaderLine));
    appendLine(text, "  常にファイル出力  ", b(settings.alwaysWriteHourTable));
    appendLine(text, "RMOB                ");
    appendLine(text, "  常にファイル出力  ", b(settings.alwaysWriteRmob));
    appendLine(text, "  Long Echo   出力  ", b(settings.rmobLongEcho));
    appendLine(text, "  Other DATA  出力  ", b(settings.rmobOtherData));
    appendLine(text, "  時差              ", i(settings.utOffsetHours));
    return text;
}
