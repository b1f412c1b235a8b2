// Where the settings file lives: beside the program while its folder takes
// new files, else in the user's configuration folder.

#include "config/Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path scratchFolder(const std::string& name) {
    const fs::path folder =
        fs::temp_directory_path() / ("velk-settings-location-" + std::to_string(::getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

} // namespace

TEST(SettingsLocation, ConfigurationFolderFollowsTheBaseDirectoryRules) {
    const struct {
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/x/config", "/home/u", "/x/config/velkreport"},
        {nullptr, "/home/u", "/home/u/.config/velkreport"},
        {"", "/home/u", "/home/u/.config/velkreport"},
        {"relative/config", "/home/u", "/home/u/.config/velkreport"}, // ignored, as the rules say
        {"/x/config", nullptr, "/x/config/velkreport"},
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(userConfigFolder(c.xdg, c.home).string(), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST(SettingsLocation, AFolderTakesNewFilesOnlyWhenOneCanBeMade) {
    const fs::path folder = scratchFolder("probe");
    EXPECT_TRUE(folderTakesNewFiles(folder));
    EXPECT_TRUE(fs::is_empty(folder)); // the probe leaves nothing behind
    // A file that happens to carry the probe's name is neither a hindrance nor touched.
    std::ofstream(folder / ".velkreport-probe-0") << "mine";
    EXPECT_TRUE(folderTakesNewFiles(folder));
    EXPECT_EQ(fs::file_size(folder / ".velkreport-probe-0"), 4u);
    EXPECT_FALSE(folderTakesNewFiles(folder / "missing"));
    EXPECT_FALSE(folderTakesNewFiles(folder / ".velkreport-probe-0")); // a file, not a folder
    EXPECT_FALSE(folderTakesNewFiles("/proc"));                        // not even for root
}

TEST(SettingsLocation, BesideAWritableProgramElseInTheConfigurationFolder) {
    const fs::path program = scratchFolder("program") / "velkreport";
    EXPECT_EQ(settingsFileFor(program), (program.parent_path() / "velkreport.ini").string());
    EXPECT_EQ(settingsFileFor(program.parent_path() / "velkreport-cli", "velkreport.ini"),
              (program.parent_path() / "velkreport.ini").string());

    const fs::path config = scratchFolder("config");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string installed = settingsFileFor("/proc/velkreport");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(installed, (config / "velkreport" / "velkreport.ini").string());
    EXPECT_TRUE(fs::is_directory(config / "velkreport")); // ready for the first save

    // Saved there and read back, as the window's 設定を保存 does.
    Settings saved;
    setDefaultSettings(saved);
    saved.filePath = installed;
    saved.utOffsetHours = 3;
    saveSettings(saved);
    Settings loaded;
    loaded.filePath = installed;
    loadSettings(loaded);
    EXPECT_EQ(loaded.utOffsetHours, 3);
    fs::remove_all(config.parent_path());
}
