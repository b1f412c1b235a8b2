#include "config/UConfig.h"

#include "shared/Errors.h"
#include "shared/Messages.h"
#include "shared/ShiftJis.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

TCnfData CnfData;

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

void putBool(CnfBytes& bytes, std::size_t at, bool value) {
    bytes[at] = value ? 1 : 0;
}

// Any non-zero byte is true: older files and hand edits may hold 2 or 255.
bool getBool(const CnfBytes& bytes, std::size_t at) {
    return bytes[at] != 0;
}

void putInt32(CnfBytes& bytes, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

std::int32_t getInt32(const CnfBytes& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    // Two's complement by definition since C++20; the conversion is exact.
    return static_cast<std::int32_t>(u);
}

template <std::size_t N>
void putPad(CnfBytes& bytes, std::size_t at, const std::array<std::uint8_t, N>& pad) {
    for (std::size_t i = 0; i < N; ++i) {
        bytes[at + i] = pad[i];
    }
}

template <std::size_t N>
void getPad(const CnfBytes& bytes, std::size_t at, std::array<std::uint8_t, N>& pad) {
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
bool readStoredPart(const std::string& name, CnfBytes& bytes) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        return false;
    }
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0 && got == bytes.size();
}

void appendLine(std::string& text, std::string_view utf8Label, const std::string& value = {}) {
    text += Utf8ToCp932(utf8Label);
    text += value;
    text += '\r';
}

} // namespace

std::string DefaultCnfFileName() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        std::error_code cwdEc;
        const std::filesystem::path cwd = std::filesystem::current_path(cwdEc);
        exe = cwdEc ? std::filesystem::path("velkreport") : cwd / "velkreport";
    }
    return replaceExtension(exe.string(), ".ini");
}

void CnfSetDefault(TCnfData& cnf) {
    cnf.CnfFileName = DefaultCnfFileName();
    cnf.MLong = true;
    cnf.MOData = false;
    cnf.RepTOF = false;
    cnf.Rep1l1 = true;
    cnf.Rep1OF = false;
    cnf.Rep6l1 = true;
    cnf.Rep6OF = false;
    cnf.RMOBF = false;
    cnf.RMOBLE = true;
    cnf.RMOBOD = false;
    cnf.RTZ = -9;
    cnf.LongFLE = false;
    cnf.LongTLE = 10;
    cnf.LongFOD = false;
    cnf.LongTOD = 20;
    cnf.nd = 20;
    cnf.HR = true;
}

CnfBytes CnfToBytes(const TCnfData& cnf) {
    CnfBytes bytes{};
    putBool(bytes, kOffMLong, cnf.MLong);
    putBool(bytes, kOffMOData, cnf.MOData);
    putBool(bytes, kOffRepTOF, cnf.RepTOF);
    putBool(bytes, kOffRep1l1, cnf.Rep1l1);
    putBool(bytes, kOffRep1OF, cnf.Rep1OF);
    putBool(bytes, kOffRep6l1, cnf.Rep6l1);
    putBool(bytes, kOffRep6OF, cnf.Rep6OF);
    putBool(bytes, kOffRMOBF, cnf.RMOBF);
    putBool(bytes, kOffRMOBLE, cnf.RMOBLE);
    putBool(bytes, kOffRMOBOD, cnf.RMOBOD);
    putPad(bytes, kOffPad10, cnf.Pad10);
    putInt32(bytes, kOffRTZ, cnf.RTZ);
    putBool(bytes, kOffLongFLE, cnf.LongFLE);
    putPad(bytes, kOffPad17, cnf.Pad17);
    putInt32(bytes, kOffLongTLE, cnf.LongTLE);
    putBool(bytes, kOffLongFOD, cnf.LongFOD);
    putPad(bytes, kOffPad25, cnf.Pad25);
    putInt32(bytes, kOffLongTOD, cnf.LongTOD);
    putInt32(bytes, kOffNd, cnf.nd);
    putBool(bytes, kOffHR, cnf.HR);
    putPad(bytes, kOffPad37, cnf.Pad37);
    return bytes;
}

void CnfFromBytes(TCnfData& cnf, const CnfBytes& bytes) {
    cnf.MLong = getBool(bytes, kOffMLong);
    cnf.MOData = getBool(bytes, kOffMOData);
    cnf.RepTOF = getBool(bytes, kOffRepTOF);
    cnf.Rep1l1 = getBool(bytes, kOffRep1l1);
    cnf.Rep1OF = getBool(bytes, kOffRep1OF);
    cnf.Rep6l1 = getBool(bytes, kOffRep6l1);
    cnf.Rep6OF = getBool(bytes, kOffRep6OF);
    cnf.RMOBF = getBool(bytes, kOffRMOBF);
    cnf.RMOBLE = getBool(bytes, kOffRMOBLE);
    cnf.RMOBOD = getBool(bytes, kOffRMOBOD);
    getPad(bytes, kOffPad10, cnf.Pad10);
    cnf.RTZ = getInt32(bytes, kOffRTZ);
    cnf.LongFLE = getBool(bytes, kOffLongFLE);
    getPad(bytes, kOffPad17, cnf.Pad17);
    cnf.LongTLE = getInt32(bytes, kOffLongTLE);
    cnf.LongFOD = getBool(bytes, kOffLongFOD);
    getPad(bytes, kOffPad25, cnf.Pad25);
    cnf.LongTOD = getInt32(bytes, kOffLongTOD);
    cnf.nd = getInt32(bytes, kOffNd);
    cnf.HR = getBool(bytes, kOffHR);
    getPad(bytes, kOffPad37, cnf.Pad37);
}

void CnfLoad(TCnfData& cnf) {
    // The file name the caller chose (the command-line tool may name another
    // file) stays; the defaults would otherwise point a later save elsewhere.
    std::string fileName;
    try {
        fileName = cnf.CnfFileName;
        CnfBytes bytes{};
        // Read-only access: a settings file that may be read but not written
        // still holds the user's settings.
        if (readStoredPart(fileName, bytes)) {
            CnfFromBytes(cnf, bytes);
            return;
        }
        // A missing file is a first start. Anything else under that name (a
        // short or unreadable file, even a folder) is a settings file gone bad.
        std::error_code ec;
        if (!fileName.empty() && std::filesystem::exists(fileName, ec)) {
            ShowMessage(
                Utf8ToCp932("設定ファイルの中身が違います。\rデフォルト値を設定しました。"));
        }
    } catch (...) {
        // A failing message handler must not stop start-up: the defaults follow.
    }
    try {
        CnfSetDefault(cnf);
        cnf.CnfFileName = std::move(fileName);
    } catch (...) {
    }
}

void CnfSave(const TCnfData& cnf) {
    const std::string& name = cnf.CnfFileName;
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError("Cannot create", name, EISDIR);
    }
    FilePtr f(std::fopen(name.c_str(), "wb"), &std::fclose);
    if (!f) {
        throwIoError("Cannot create", name, errno);
    }
    const CnfBytes bytes = CnfToBytes(cnf);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
        throwIoError("Cannot write", name, errno);
    }
    // The close flushes the buffer: a full disk shows only here.
    if (std::fclose(f.release()) != 0) {
        throwIoError("Cannot write", name, errno);
    }
}

const char* BoolText(bool value) {
    return value ? "True" : "False";
}

std::string CnfShowText(const TCnfData& cnf) {
    const auto b = [](bool v) { return std::string(BoolText(v)); };
    const auto i = [](std::int32_t v) { return std::to_string(v); };
    std::string text;
    appendLine(text, "設定内容");
    appendLine(text, "設定ファイル名      ", cnf.CnfFileName);
    appendLine(text, "ロングエコーの継続時間");
    appendLine(text, "            LongFLE ", b(cnf.LongFLE));
    appendLine(text, "            LongTLE ", i(cnf.LongTLE));
    appendLine(text, "            LongFOD ", b(cnf.LongFOD));
    appendLine(text, "            LongTOD ", i(cnf.LongTOD));
    appendLine(text, "Report TEXT         ");
    appendLine(text, "       Long を出力  ", b(cnf.MLong));
    appendLine(text, "       Otherを出力  ", b(cnf.MOData));
    appendLine(text, "       HR出集計する ", b(cnf.HR));
    appendLine(text, "          破棄する  ", i(cnf.nd));
    appendLine(text, "Report10            ");
    appendLine(text, "       1行目の出力  ", b(cnf.Rep1l1));
    appendLine(text, "  常にファイル出力  ", b(cnf.Rep1OF));
    appendLine(text, "Report60            ");
    appendLine(text, "       1行目の出力  ", b(cnf.Rep6l1));
    appendLine(text, "  常にファイル出力  ", b(cnf.Rep6OF));
    appendLine(text, "RMOB                ");
    appendLine(text, "  常にファイル出力  ", b(cnf.RMOBF));
    appendLine(text, "  Long Echo   出力  ", b(cnf.RMOBLE));
    appendLine(text, "  Other DATA  出力  ", b(cnf.RMOBOD));
    appendLine(text, "  時差              ", i(cnf.RTZ));
    return text;
}

void CnfShow(const TCnfData& cnf) {
    ShowMessage(CnfShowText(cnf));
}
