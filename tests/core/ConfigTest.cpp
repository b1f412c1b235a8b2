#include "config/UConfig.h"
#include "shared/Errors.h"
#include "shared/Messages.h"
#include "shared/ShiftJis.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <vector>

namespace {

// The stored part of the defaults, offset 0 first.
const std::vector<std::uint8_t> kDefaultBytes = {
    0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xF7, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x14, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};

std::string asString(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Records every message instead of showing it; restores the previous handler.
class CapturedMessages {
public:
    CapturedMessages()
        : previous_(SetMessageHandler([this](const std::string& text) { texts.push_back(text); })) {
    }
    ~CapturedMessages() { SetMessageHandler(previous_); }
    std::vector<std::string> texts;

private:
    MessageHandler previous_;
};

// A record with every stored field off its default, named for a scratch file.
TCnfData nonDefaultRecord(const std::string& fileName) {
    TCnfData cnf;
    cnf.CnfFileName = fileName;
    cnf.MOData = true;
    cnf.RTZ = 5;
    cnf.nd = 0;
    return cnf;
}

void expectDefaults(const TCnfData& cnf) {
    TCnfData defaults;
    CnfSetDefault(defaults);
    EXPECT_EQ(CnfToBytes(cnf), CnfToBytes(defaults));
}

std::vector<std::string> splitAtCr(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', start)) {
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
    }
    EXPECT_EQ(start, text.size()) << "the last line must end in CR";
    return lines;
}

} // namespace

TEST(CnfSave, DefaultsGiveTheFortyStoredBytes) {
    TempDir dir;
    TCnfData cnf; // zero padding, as the global starts
    CnfSetDefault(cnf);
    cnf.CnfFileName = dir.file("velkreport.ini");
    CnfSave(cnf);
    EXPECT_EQ(readFile(cnf.CnfFileName), asString(kDefaultBytes));
    // RTZ -9 at offsets 12 to 15.
    EXPECT_EQ(readFile(cnf.CnfFileName).substr(12, 4), "\xF7\xFF\xFF\xFF");
}

TEST(CnfFromBytes, IntegersRoundTripAtTheirExtremes) {
    TCnfData cnf;
    cnf.RTZ = INT32_MIN;
    cnf.LongTLE = INT32_MAX;
    cnf.LongTOD = -1;
    cnf.nd = 0x01020304;
    const CnfBytes bytes = CnfToBytes(cnf);
    EXPECT_EQ(bytes[12], 0x00);
    EXPECT_EQ(bytes[15], 0x80);
    EXPECT_EQ(bytes[32], 0x04); // little-endian
    TCnfData back;
    CnfFromBytes(back, bytes);
    EXPECT_EQ(back.RTZ, INT32_MIN);
    EXPECT_EQ(back.LongTLE, INT32_MAX);
    EXPECT_EQ(back.LongTOD, -1);
    EXPECT_EQ(back.nd, 0x01020304);
}

TEST(CnfLoad, ShortFileShowsTheMessageOnceAndGivesDefaults) {
    for (std::size_t size : {0u, 39u}) {
        SCOPED_TRACE(size);
        TempDir dir;
        const std::string name = dir.file("velkreport.ini");
        writeFile(name, std::string(size, '\x07'));
        TCnfData cnf = nonDefaultRecord(name);
        CapturedMessages messages;
        CnfLoad(cnf);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0], Utf8ToCp932("設定ファイルの中身が違います。") + "\r" +
                                         Utf8ToCp932("デフォルト値を設定しました。"));
        expectDefaults(cnf);
        EXPECT_EQ(cnf.CnfFileName, name);                     // a later save goes to the same file
        EXPECT_EQ(readFile(name), std::string(size, '\x07')); // left untouched
    }
}

TEST(CnfLoad, LongerFileUsesTheFirstFortyBytes) {
    for (std::size_t extra : {1u, 500u}) {
        SCOPED_TRACE(extra);
        TempDir dir;
        const std::string name = dir.file("velkreport.ini");
        std::string content = asString(kDefaultBytes);
        content[1] = 1;  // MOData
        content[32] = 7; // nd
        writeFile(name, content + std::string(extra, '\xAA'));
        TCnfData cnf = nonDefaultRecord(name);
        cnf.MOData = false;
        CapturedMessages messages;
        CnfLoad(cnf);
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_TRUE(cnf.MOData);
        EXPECT_EQ(cnf.nd, 7);
        EXPECT_EQ(cnf.RTZ, -9);
        CnfSave(cnf);
        EXPECT_EQ(readFile(name), content);
    }
}

TEST(CnfLoad, PaddingIsKeptAcrossLoadAndSave) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    for (std::size_t at : {10u, 11u, 17u, 18u, 19u, 25u, 26u, 27u, 37u, 38u, 39u}) {
        content[at] = static_cast<char>(0xC0 + at);
    }
    writeFile(name, content);
    TCnfData cnf = nonDefaultRecord(name);
    CnfLoad(cnf);
    EXPECT_EQ(cnf.RTZ, -9);
    EXPECT_FALSE(cnf.LongFLE);
    EXPECT_TRUE(cnf.HR);
    // Resetting to defaults does not clear the padding either.
    CnfSetDefault(cnf);
    cnf.CnfFileName = name;
    CnfSave(cnf);
    EXPECT_EQ(readFile(name), content);
}

TEST(CnfLoad, AnyNonZeroBooleanByteIsTrue) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    content[16] = 2;      // LongFLE
    content[24] = '\xFF'; // LongFOD
    writeFile(name, content);
    TCnfData cnf = nonDefaultRecord(name);
    CnfLoad(cnf);
    EXPECT_TRUE(cnf.LongFLE);
    EXPECT_TRUE(cnf.LongFOD);
    const std::vector<std::string> lines = splitAtCr(CnfShowText(cnf));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[3].substr(20), "True");
    EXPECT_EQ(lines[5].substr(20), "True");
    CnfSave(cnf); // true is written back as 1
    EXPECT_EQ(readFile(name)[16], 1);
    EXPECT_EQ(readFile(name)[24], 1);
}

TEST(CnfLoad, MissingFileIsSilentAndCreatesNothing) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    TCnfData cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    CnfLoad(cnf);
    EXPECT_TRUE(messages.texts.empty());
    expectDefaults(cnf);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(CnfLoad, ReadOnlyFileLoads) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    content[12] = 3; // RTZ 3
    content[13] = content[14] = content[15] = 0;
    writeFile(name, content);
    std::filesystem::permissions(name, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    TCnfData cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    CnfLoad(cnf);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(cnf.RTZ, 3);

    // Permission bits do not stop root, but nobody may open a running program
    // for writing: this file loads only through read-only access.
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    cnf = nonDefaultRecord(exe);
    CnfLoad(cnf);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_TRUE(cnf.MLong); // 0x7F of the executable's header
    EXPECT_EQ(cnf.CnfFileName, exe);
}

TEST(CnfLoad, FolderOfTheNameCountsAsABadFile) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::filesystem::create_directory(name);
    TCnfData cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    CnfLoad(cnf);
    EXPECT_EQ(messages.texts.size(), 1u);
    expectDefaults(cnf);
    EXPECT_THROW(CnfSave(cnf), IoError);
}

TEST(CnfSave, MissingFolderThrowsNamingTheFile) {
    TempDir dir;
    TCnfData cnf = nonDefaultRecord(dir.file("gone/velkreport.ini"));
    try {
        CnfSave(cnf);
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(cnf.CnfFileName), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(cnf.CnfFileName));
}

TEST(CnfShowText, DefaultsLineUpAfterTwentyByteLabels) {
    TCnfData cnf;
    CnfSetDefault(cnf);
    cnf.CnfFileName = "/tmp/\x83\x65st.ini"; // file names are bytes, copied unchanged
    const std::string text = CnfShowText(cnf);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const std::vector<std::string> lines = splitAtCr(text);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], Utf8ToCp932("設定内容"));
    EXPECT_EQ(lines[2], Utf8ToCp932("ロングエコーの継続時間"));
    // Every other line holds a 20-byte label, then its value or nothing.
    const std::vector<std::string> values = {"/tmp/\x83\x65st.ini",
                                             "False",
                                             "10",
                                             "False",
                                             "20",
                                             "",
                                             "True",
                                             "False",
                                             "True",
                                             "20",
                                             "",
                                             "True",
                                             "False",
                                             "",
                                             "True",
                                             "False",
                                             "",
                                             "False",
                                             "True",
                                             "False",
                                             "-9"};
    for (std::size_t i = 1, v = 0; i < lines.size(); ++i) {
        if (i == 2) {
            continue;
        }
        SCOPED_TRACE(i + 1);
        ASSERT_GE(lines[i].size(), 20u);
        EXPECT_EQ(lines[i].substr(20), values[v++]);
    }
    EXPECT_EQ(lines[3], "            LongFLE False");
    EXPECT_EQ(lines[11], Utf8ToCp932("          破棄する  ") + "20");
    EXPECT_EQ(lines[22], Utf8ToCp932("  時差              ") + "-9");
}

TEST(DefaultCnfFileName, SitsBesideTheRunningProgram) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path ini = DefaultCnfFileName();
    EXPECT_EQ(ini.extension(), ".ini");
    EXPECT_EQ(ini.parent_path(), exe.parent_path());
    EXPECT_EQ(ini.stem(), exe.stem());
}
