#include "config/Settings.h"

#include "shared/IoError.h"
#include "shared/Messages.h"
#include "shared/CodePage.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

Settings CnfData;

namespace {

// Byte offsets of the stored part; the file format, not the structure layout.
constexpr std::size_t kOffMLong = 0;
constexpr std::size_t kOffMOData = 1;
constexpr std::size_t kOffRepTOF = 2;
constexpr std::size_t kOffRep1l1 = 3;
constexpr std::size_t kOffRep1OF = 4;
constexpr std::size_t kOffRep6l1 = 5;
constexpr std::size_t kOffRep6OF = 6;
constexpr std::size_t kOffRMOBF = 7;
constexpr std::size_t kOffRMOBLE = 8;
constexpr std::size_t kOffRMOBOD = 9;
constexpr std::size_t kOffPad10 = 10;
constexpr std::size_t kOffRTZ = 12;
constexpr std::size_t kOffLongFLE = 16;
constexpr std::size_t kOffPad17 = 17;
constexpr std::size_t kOffLongTLE = 20;
constexpr std::size_t kOffLongFOD = 24;
constexpr std::size_t kOffPad25 = 25;
constexpr std::size_t kOffLongTOD = 28;
constexpr std::size_t kOffNd = 32;
constexpr std::size_t kOffHR = 36;
constexpr std::size_t kOffPad37 = 37;

void putBool(SettingsBytes& bytes, std::size_t at, bool value) {
    bytes[at] = value ? 1 : 0;
}

// Any non-zero byte is true: older files and hand edits may hold 2 or 255.
bool getBool(const SettingsBytes& bytes, std::size_t at) {
    return bytes[at] != 0;
}

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

template <std::size_t N>
void putPad(SettingsBytes& bytes, std::size_t at, const std::array<std::uint8_t, N>& pad) {
    for (std::size_t i = 0; i < N; ++i) {
        bytes[at + i] = pad[i];
    }
}

template <std::size_t N>
void getPad(const SettingsBytes& bytes, std::size_t at, std::array<std::uint8_t, N>& pad) {
    for (std::size_t i = 0; i < N; ++i) {
        pad[i] = bytes[at + i];
    }
}

std::string replaceExtension(const std::string& path, std::string_view ext) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        return path.substr(0, dot) + std::string(ext);
    }
    return path + std::string(ext);
}

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

std::string defaultSettingsFileName() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        std::error_code cwdEc;
        const std::filesystem::path cwd = std::filesystem::current_path(cwdEc);
        exe = cwdEc ? std::filesystem::path("velkreport") : cwd / "velkreport";
    }
    return replaceExtension(exe.string(), ".ini");
}

void setDefaultSettings(Settings& cnf) {
    cnf.filePath = defaultSettingsFileName();
    cnf.reportLongEcho = true;
    cnf.reportOtherData = false;
    cnf.alwaysWriteTextReport = false;
    cnf.tenMinuteHeaderLine = true;
    cnf.alwaysWriteTenMinuteTable = false;
    cnf.hourHeaderLine = true;
    cnf.alwaysWriteHourTable = false;
    cnf.alwaysWriteRmob = false;
    cnf.rmobLongEcho = true;
    cnf.rmobOtherData = false;
    cnf.utOffsetHours = -9;
    cnf.longEchoDurationKnown = false;
    cnf.longEchoSeconds = 10;
    cnf.otherDataDurationKnown = false;
    cnf.otherDataSeconds = 20;
    cnf.noiseMinutes = 20;
    cnf.percentRates = true;
}

SettingsBytes settingsToBytes(const Settings& cnf) {
    SettingsBytes bytes{};
    putBool(bytes, kOffMLong, cnf.reportLongEcho);
    putBool(bytes, kOffMOData, cnf.reportOtherData);
    putBool(bytes, kOffRepTOF, cnf.alwaysWriteTextReport);
    putBool(bytes, kOffRep1l1, cnf.tenMinuteHeaderLine);
    putBool(bytes, kOffRep1OF, cnf.alwaysWriteTenMinuteTable);
    putBool(bytes, kOffRep6l1, cnf.hourHeaderLine);
    putBool(bytes, kOffRep6OF, cnf.alwaysWriteHourTable);
    putBool(bytes, kOffRMOBF, cnf.alwaysWriteRmob);
    putBool(bytes, kOffRMOBLE, cnf.rmobLongEcho);
    putBool(bytes, kOffRMOBOD, cnf.rmobOtherData);
    putPad(bytes, kOffPad10, cnf.pad10);
    putInt32(bytes, kOffRTZ, cnf.utOffsetHours);
    putBool(bytes, kOffLongFLE, cnf.longEchoDurationKnown);
    putPad(bytes, kOffPad17, cnf.pad17);
    putInt32(bytes, kOffLongTLE, cnf.longEchoSeconds);
    putBool(bytes, kOffLongFOD, cnf.otherDataDurationKnown);
    putPad(bytes, kOffPad25, cnf.pad25);
    putInt32(bytes, kOffLongTOD, cnf.otherDataSeconds);
    putInt32(bytes, kOffNd, cnf.noiseMinutes);
    putBool(bytes, kOffHR, cnf.percentRates);
    putPad(bytes, kOffPad37, cnf.pad37);
    return bytes;
}

void settingsFromBytes(Settings& cnf, const SettingsBytes& bytes) {
    cnf.reportLongEcho = getBool(bytes, kOffMLong);
    cnf.reportOtherData = getBool(bytes, kOffMOData);
    cnf.alwaysWriteTextReport = getBool(bytes, kOffRepTOF);
    cnf.tenMinuteHeaderLine = getBool(bytes, kOffRep1l1);
    cnf.alwaysWriteTenMinuteTable = getBool(bytes, kOffRep1OF);
    cnf.hourHeaderLine = getBool(bytes, kOffRep6l1);
    cnf.alwaysWriteHourTable = getBool(bytes, kOffRep6OF);
    cnf.alwaysWriteRmob = getBool(bytes, kOffRMOBF);
    cnf.rmobLongEcho = getBool(bytes, kOffRMOBLE);
    cnf.rmobOtherData = getBool(bytes, kOffRMOBOD);
    getPad(bytes, kOffPad10, cnf.pad10);
    cnf.utOffsetHours = getInt32(bytes, kOffRTZ);
    cnf.longEchoDurationKnown = getBool(bytes, kOffLongFLE);
    getPad(bytes, kOffPad17, cnf.pad17);
    cnf.longEchoSeconds = getInt32(bytes, kOffLongTLE);
    cnf.otherDataDurationKnown = getBool(bytes, kOffLongFOD);
    getPad(bytes, kOffPad25, cnf.pad25);
    cnf.otherDataSeconds = getInt32(bytes, kOffLongTOD);
    cnf.noiseMinutes = getInt32(bytes, kOffNd);
    cnf.percentRates = getBool(bytes, kOffHR);
    getPad(bytes, kOffPad37, cnf.pad37);
}

void loadSettings(Settings& cnf) {
    // The file name the caller chose (the command-line tool may name another
    // file) stays; the defaults would otherwise point a later save elsewhere.
    std::string fileName;
    try {
        fileName = cnf.filePath;
        SettingsBytes bytes{};
        // Read-only access: a settings file that may be read but not written
        // still holds the user's settings.
        if (readStoredPart(fileName, bytes)) {
            settingsFromBytes(cnf, bytes);
            return;
        }
        // A missing file is a first start. Anything else under that name (a
        // short or unreadable file, even a folder) is a settings file gone bad.
        std::error_code ec;
        if (!fileName.empty() && std::filesystem::exists(fileName, ec)) {
            showMessage(
                utf8ToCp932("設定ファイルの中身が違います。\rデフォルト値を設定しました。"));
        }
    } catch (...) {
        // A failing message handler must not stop start-up: the defaults follow.
    }
    try {
        setDefaultSettings(cnf);
        cnf.filePath = std::move(fileName);
    } catch (...) {
    }
}

void saveSettings(const Settings& cnf) {
    const std::string& name = cnf.filePath;
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError("Cannot create", name, EISDIR);
    }
    FilePtr f(std::fopen(name.c_str(), "wb"), &std::fclose);
    if (!f) {
        throwIoError("Cannot create", name, errno);
    }
    const SettingsBytes bytes = settingsToBytes(cnf);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
        throwIoError("Cannot write", name, errno);
    }
    // The close flushes the buffer: a full disk shows only here.
    if (std::fclose(f.release()) != 0) {
        throwIoError("Cannot write", name, errno);
    }
}

const char* boolText(bool value) {
    return value ? "True" : "False";
}

std::string settingsDisplayText(const Settings& cnf) {
    const auto b = [](bool v) { return std::string(boolText(v)); };
    const auto i = [](std::int32_t v) { return std::to_string(v); };
    std::string text;
    appendLine(text, "設定内容");
    appendLine(text, "設定ファイル名      ", cnf.filePath);
    appendLine(text, "ロングエコーの継続時間");
    appendLine(text, "            LongFLE ", b(cnf.longEchoDurationKnown));
    appendLine(text, "            LongTLE ", i(cnf.longEchoSeconds));
    appendLine(text, "            LongFOD ", b(cnf.otherDataDurationKnown));
    appendLine(text, "            LongTOD ", i(cnf.otherDataSeconds));
    appendLine(text, "Report TEXT         ");
    appendLine(text, "       Long を出力  ", b(cnf.reportLongEcho));
    appendLine(text, "       Otherを出力  ", b(cnf.reportOtherData));
    appendLine(text, "       HR出集計する ", b(cnf.percentRates));
    appendLine(text, "          破棄する  ", i(cnf.noiseMinutes));
    appendLine(text, "Report10            ");
    appendLine(text, "       1行目の出力  ", b(cnf.tenMinuteHeaderLine));
    appendLine(text, "  常にファイル出力  ", b(cnf.alwaysWriteTenMinuteTable));
    appendLine(text, "Report60            ");
    appendLine(text, "       1行目の出力  ", b(cnf.hourHeaderLine));
    appendLine(text, "  常にファイル出力  ", b(cnf.alwaysWriteHourTable));
    appendLine(text, "RMOB                ");
    appendLine(text, "  常にファイル出力  ", b(cnf.alwaysWriteRmob));
    appendLine(text, "  Long Echo   出力  ", b(cnf.rmobLongEcho));
    appendLine(text, "  Other DATA  出力  ", b(cnf.rmobOtherData));
    appendLine(text, "  時差              ", i(cnf.utOffsetHours));
    return text;
}

void showSettingsText(const Settings& cnf) {
    showMessage(settingsDisplayText(cnf));
}
