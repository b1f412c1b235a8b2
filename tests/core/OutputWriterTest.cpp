// Writing results into a named folder: the backup rule per output, and a
// failing output removed and named with its folder.

#include "pipeline/OutputWriter.h"

#include "shared/IoError.h"

#include "HourTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const kNames[] = {"velkreport.txt", "rmob.txt", "report10.csv", "report60.csv",
                              "NoObsList.txt"};
const char* const kBackups[] = {"velkreport.bak", "rmob.bak", "report10.bak", "report60.bak",
                                "NoObsList.bak"};

RunResult resultWith(const std::string& text) {
    RunResult result;
    result.textReport = {text};
    result.rmob = {text};
    result.tenMinuteTable = text;
    result.hourTable = text;
    result.noObsList = text;
    return result;
}

struct OutputWriterFixture : ::testing::Test {
    TempDir dir;
    OutputWriter writer{dir.path().string()};

    // Each output written in turn must fail with an error naming the file in
    // its folder.
    void expectEachOutputFails(const std::function<void(const std::string& path)>& spoil) {
        for (Output output : kAllOutputs) {
            const std::string path = dir.file(OutputWriter::fileNameOf(output));
            spoil(path);
            try {
                writer.write(output, resultWith("line"));
                ADD_FAILURE() << path << ": no error";
            } catch (const IoError& e) {
                EXPECT_NE(std::string(e.what()).find("'" + path + "'"), std::string::npos)
                    << e.what();
            }
            std::filesystem::remove(path);
        }
    }
};

} // namespace

using OutputWriter_ = OutputWriterFixture;

TEST_F(OutputWriter_, BackupForEveryOutputButTheNoObservationList) {
    for (std::size_t i = 0; i < std::size(kAllOutputs); ++i) {
        EXPECT_STREQ(OutputWriter::fileNameOf(kAllOutputs[i]), kNames[i]);
        writeFile(dir.file(kNames[i]), "previous");
    }
    const std::vector<std::string> written =
        writeOutputs(resultWith("new"), {std::begin(kAllOutputs), std::end(kAllOutputs)}, writer);
    ASSERT_EQ(written.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(kNames[i]);
        EXPECT_EQ(written[i], dir.file(kNames[i]));
        const bool page = i < 2; // the text report and rmob.txt end with an empty line
        EXPECT_EQ(readFile(written[i]), page ? "new\r\n\r\n" : "new");
        const std::string bak = dir.file(kBackups[i]);
        EXPECT_EQ(std::filesystem::exists(bak), i != 4);
        if (i != 4) {
            EXPECT_EQ(readFile(bak), "previous");
        }
    }
}

TEST_F(OutputWriter_, PagesEndWithAnEmptyLineAndTheCurrentFolderIsTheDefault) {
    EXPECT_EQ(readFile(writer.writeRmob({"a", "", "b"})), "a\r\n\r\nb\r\n\r\n");
    EXPECT_EQ(readFile(writer.writeTextReport({})), "\r\n");
    ChangeDir into(dir.path());
    const OutputWriter here("");
    EXPECT_EQ(here.pathOf("rmob.txt"), "rmob.txt");
    here.writeNoObsList("x\r\n");
    EXPECT_EQ(readFile(dir.file("NoObsList.txt")), "x\r\n");
}

TEST(outputsWrittenAfterEveryRun, AskedReportsThenTheNoObservationList) {
    Settings settings;
    EXPECT_EQ(outputsWrittenAfterEveryRun(settings), std::vector<Output>{Output::NoObsList});
    settings.alwaysWriteHourTable = settings.alwaysWriteTextReport = true;
    EXPECT_EQ(outputsWrittenAfterEveryRun(settings),
              (std::vector<Output>{Output::TextReport, Output::HourTable, Output::NoObsList}));
    settings.alwaysWriteRmob = settings.alwaysWriteTenMinuteTable = true;
    EXPECT_EQ(outputsWrittenAfterEveryRun(settings),
              std::vector<Output>(std::begin(kAllOutputs), std::end(kAllOutputs)));
}

// A table written in pieces as a run makes it: the backup is made when it is
// opened, and a writer given up before its close leaves no cut-off table.
TEST_F(OutputWriter_, StreamedOutputKeepsTheBackupAndGoesUnlessClosed) {
    writeFile(dir.file("report10.csv"), "previous");
    {
        TextFileWriter table = writer.open(Output::TenMinuteTable);
        table.write("first half");
    }
    EXPECT_EQ(readFile(dir.file("report10.bak")), "previous");
    EXPECT_FALSE(std::filesystem::exists(dir.file("report10.csv")));
    writeFile(dir.file("NoObsList.txt"), "previous");
    TextFileWriter list = writer.open(Output::NoObsList);
    list.write("whole");
    list.close();
    EXPECT_EQ(readFile(dir.file("NoObsList.txt")), "whole");
    EXPECT_FALSE(std::filesystem::exists(dir.file("NoObsList.bak")));
}

TEST_F(OutputWriter_, EveryOutputNameThatIsAFolderIsNamedWithItsFolder) {
    expectEachOutputFails([](const std::string& path) { std::filesystem::create_directory(path); });
    const OutputWriter missing(dir.file("absent"));
    EXPECT_THROW(missing.write(Output::NoObsList, resultWith("x")), IoError);
}

TEST_F(OutputWriter_, FullDiskBehindALinkIsNamedAndTheLinkStays) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no writable /dev/full";
    }
    expectEachOutputFails(
        [](const std::string& path) { std::filesystem::create_symlink("/dev/full", path); });
}

TEST_F(OutputWriter_, DiskFullMidFileKeepsThePreviousVersionAsBak) {
    // A limit on the file size stands in for a disk that fills up while the
    // ten-minute table is written.
    const std::string previous(5000, 'p');
    writeFile(dir.file("report10.csv"), previous);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        writer.writeTenMinuteTable(std::string(8192, 'n'));
    } catch (const IoError& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_NE(error.find("'" + dir.file("report10.csv") + "'"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir.file("report10.bak")), previous);
    EXPECT_FALSE(std::filesystem::exists(dir.file("report10.csv"))) << "a cut-off table was left";
}

TEST(OutputWriter, FolderWithoutWritePermission) {
    // Root writes through permission bits; sysfs refuses new files to
    // everyone, so it stands in for a read-only folder there.
    TempDir dir;
    std::filesystem::path folder = dir.path() / "locked";
    if (geteuid() == 0) {
        folder = "/sys";
    } else {
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    }
    try {
        OutputWriter(folder.string()).writeTextReport({"line"});
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("velkreport.txt': Permission denied"),
                  std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find(folder.string()), std::string::npos) << e.what();
    }
}

TEST_F(OutputWriter_, RmobMonthlyFilesWithBackupInTheFolder) {
    const std::string old = dir.file("obs_022024rmob.TXT");
    writeFile(old, "older upload");
    const std::vector<std::string> written = writer.writeRmobMonthlyFiles(
        {{{2024, 2}, "obs_022024rmob.TXT", {"a", "b"}}, {{2024, 3}, "obs_032024rmob.TXT", {"c"}}});
    EXPECT_EQ(written, (std::vector<std::string>{old, dir.file("obs_032024rmob.TXT")}));
    EXPECT_EQ(readFile(old), "a\r\nb\r\n");
    EXPECT_EQ(readFile(dir.file("obs_022024rmob.bak")), "older upload");
    EXPECT_TRUE(writer.writeRmobMonthlyFiles({}).empty());
    EXPECT_THROW(OutputWriter(dir.file("absent")).writeRmobMonthlyFiles({{{2024, 3}, "x.TXT", {}}}),
                 IoError);
}

TEST_F(OutputWriter_, ColorgrammesOneFilePerMonthAndErrorsNameTheFile) {
    Hours data;
    data.hour("2024/01/31 23:00", 3, 60);
    data.hour("2024/02/01 00:00", 4, 60);
    const auto months = buildColorgrammes(data.list(0, 20));
    const auto written = writer.writeColorgrammes(months, std::nullopt);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], dir.file("colorgramme_202401.png"));
    EXPECT_EQ(written[1], dir.file("colorgramme_202402.png"));
    for (const std::string& name : written) {
        EXPECT_EQ(readFile(name).substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    }
    try {
        OutputWriter(dir.file("missing")).writeColorgrammes(months, std::nullopt);
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.file("missing/colorgramme_202401.png")),
                  std::string::npos)
            << e.what();
    }
}
