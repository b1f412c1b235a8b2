#include "config/Settings.h"
#include "shared/CodePage.h"
#include "shared/IoError.h"
#include "shared/Messages.h"

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

// Records every message instead of showing it.
class CapturedMessages {
public:
    std::vector<std::string> texts;
    MessageCallback callback() {
        return [this](const std::string& text) { texts.push_back(text); };
    }
};

// A record with every stored field off its default, named for a scratch file.
Settings nonDefaultRecord(const std::string& fileName) {
    Settings cnf;
    cnf.filePath = fileName;
    cnf.reportOtherData = true;
    cnf.utOffsetHours = 5;
    cnf.noiseMinutes = 0;
    return cnf;
}

void expectDefaults(const Settings& cnf) {
    Settings defaults;
    setDefaultSettings(defaults);
    EXPECT_EQ(settingsToBytes(cnf), settingsToBytes(defaults));
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

TEST(saveSettings, DefaultsGiveTheFortyStoredBytes) {
    TempDir dir;
    Settings cnf; // zero padding, as the global starts
    setDefaultSettings(cnf);
    cnf.filePath = dir.file("velkreport.ini");
    saveSettings(cnf);
    EXPECT_EQ(readFile(cnf.filePath), asString(kDefaultBytes));
    // RTZ -9 at offsets 12 to 15.
    EXPECT_EQ(readFile(cnf.filePath).substr(12, 4), "\xF7\xFF\xFF\xFF");
}

TEST(settingsFromBytes, IntegersRoundTripAtTheirExtremes) {
    Settings cnf;
    cnf.utOffsetHours = INT32_MIN;
    cnf.longEchoSeconds = INT32_MAX;
    cnf.otherDataSeconds = -1;
    cnf.noiseMinutes = 0x01020304;
    const SettingsBytes bytes = settingsToBytes(cnf);
    EXPECT_EQ(bytes[12], 0x00);
    EXPECT_EQ(bytes[15], 0x80);
    EXPECT_EQ(bytes[32], 0x04); // little-endian
    Settings back;
    settingsFromBytes(back, bytes);
    EXPECT_EQ(back.utOffsetHours, INT32_MIN);
    EXPECT_EQ(back.longEchoSeconds, INT32_MAX);
    EXPECT_EQ(back.otherDataSeconds, -1);
    EXPECT_EQ(back.noiseMinutes, 0x01020304);
}

TEST(loadSettings, ShortFileShowsTheMessageOnceAndGivesDefaults) {
    for (std::size_t size : {0u, 39u}) {
        SCOPED_TRACE(size);
        TempDir dir;
        const std::string name = dir.file("velkreport.ini");
        writeFile(name, std::string(size, '\x07'));
        Settings cnf = nonDefaultRecord(name);
        CapturedMessages messages;
        loadSettings(cnf, messages.callback());
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0], utf8ToCp932("設定ファイルの中身が違います。") + "\r" +
                                         utf8ToCp932("デフォルト値を設定しました。"));
        expectDefaults(cnf);
        EXPECT_EQ(cnf.filePath, name);                        // a later save goes to the same file
        EXPECT_EQ(readFile(name), std::string(size, '\x07')); // left untouched
    }
}

TEST(loadSettings, LongerFileUsesTheFirstFortyBytes) {
    for (std::size_t extra : {1u, 500u}) {
        SCOPED_TRACE(extra);
        TempDir dir;
        const std::string name = dir.file("velkreport.ini");
        std::string content = asString(kDefaultBytes);
        content[1] = 1;  // MOData
        content[32] = 7; // nd
        writeFile(name, content + std::string(extra, '\xAA'));
        Settings cnf = nonDefaultRecord(name);
        cnf.reportOtherData = false;
        CapturedMessages messages;
        loadSettings(cnf, messages.callback());
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_TRUE(cnf.reportOtherData);
        EXPECT_EQ(cnf.noiseMinutes, 7);
        EXPECT_EQ(cnf.utOffsetHours, -9);
        saveSettings(cnf);
        EXPECT_EQ(readFile(name), content);
    }
}

TEST(loadSettings, PaddingIsKeptAcrossLoadAndSave) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    for (std::size_t at : {10u, 11u, 17u, 18u, 19u, 25u, 26u, 27u, 37u, 38u, 39u}) {
        content[at] = static_cast<char>(0xC0 + at);
    }
    writeFile(name, content);
    Settings cnf = nonDefaultRecord(name);
    loadSettings(cnf);
    EXPECT_EQ(cnf.utOffsetHours, -9);
    EXPECT_FALSE(cnf.longEchoDurationKnown);
    EXPECT_TRUE(cnf.percentRates);
    // Resetting to defaults does not clear the padding either.
    setDefaultSettings(cnf);
    cnf.filePath = name;
    saveSettings(cnf);
    EXPECT_EQ(readFile(name), content);
}

TEST(loadSettings, AnyNonZeroBooleanByteIsTrue) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    content[16] = 2;      // LongFLE
    content[24] = '\xFF'; // LongFOD
    writeFile(name, content);
    Settings cnf = nonDefaultRecord(name);
    loadSettings(cnf);
    EXPECT_TRUE(cnf.longEchoDurationKnown);
    EXPECT_TRUE(cnf.otherDataDurationKnown);
    const std::vector<std::string> lines = splitAtCr(settingsDisplayText(cnf));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[3].substr(20), "True");
    EXPECT_EQ(lines[5].substr(20), "True");
    saveSettings(cnf); // true is written back as 1
    EXPECT_EQ(readFile(name)[16], 1);
    EXPECT_EQ(readFile(name)[24], 1);
}

TEST(loadSettings, MissingFileIsSilentAndCreatesNothing) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    Settings cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    loadSettings(cnf, messages.callback());
    EXPECT_TRUE(messages.texts.empty());
    expectDefaults(cnf);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(loadSettings, ReadOnlyFileLoads) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::string content = asString(kDefaultBytes);
    content[12] = 3; // RTZ 3
    content[13] = content[14] = content[15] = 0;
    writeFile(name, content);
    std::filesystem::permissions(name, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    Settings cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    loadSettings(cnf, messages.callback());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(cnf.utOffsetHours, 3);

    // Permission bits do not stop root, but nobody may open a running program
    // for writing: this file loads only through read-only access.
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    cnf = nonDefaultRecord(exe);
    loadSettings(cnf, messages.callback());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_TRUE(cnf.reportLongEcho); // 0x7F of the executable's header
    EXPECT_EQ(cnf.filePath, exe);
}

TEST(loadSettings, FolderOfTheNameCountsAsABadFile) {
    TempDir dir;
    const std::string name = dir.file("velkreport.ini");
    std::filesystem::create_directory(name);
    Settings cnf = nonDefaultRecord(name);
    CapturedMessages messages;
    loadSettings(cnf, messages.callback());
    EXPECT_EQ(messages.texts.size(), 1u);
    expectDefaults(cnf);
    EXPECT_THROW(saveSettings(cnf), IoError);
}

TEST(saveSettings, MissingFolderThrowsNamingTheFile) {
    TempDir dir;
    Settings cnf = nonDefaultRecord(dir.file("gone/velkreport.ini"));
    try {
        saveSettings(cnf);
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(cnf.filePath), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(cnf.filePath));
}

TEST(settingsDisplayText, DefaultsLineUpAfterTwentyByteLabels) {
    Settings cnf;
    setDefaultSettings(cnf);
    cnf.filePath = "/tmp/\x83\x65st.ini"; // file names are bytes, copied unchanged
    const std::string text = settingsDisplayText(cnf);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const std::vector<std::string> lines = splitAtCr(text);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], utf8ToCp932("設定内容"));
    EXPECT_EQ(lines[2], utf8ToCp932("ロングエコーの継続時間"));
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
    EXPECT_EQ(lines[11], utf8ToCp932("          破棄する  ") + "20");
    EXPECT_EQ(lines[22], utf8ToCp932("  時差              ") + "-9");
}

TEST(defaultSettingsFileName, SitsBesideTheRunningProgram) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path ini = defaultSettingsFileName();
    EXPECT_EQ(ini.extension(), ".ini");
    EXPECT_EQ(ini.parent_path(), exe.parent_path());
    EXPECT_EQ(ini.stem(), exe.stem());
}
