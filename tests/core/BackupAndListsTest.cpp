#include "shared/Backup.h"
#include "shared/IoError.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

TEST(backupFile, MovesTheFileAsideReplacingAnOlderBackup) {
    TempDir dir;
    writeFile(dir.file("report10.csv"), "new");
    writeFile(dir.file("report10.bak"), "old");
    backupFile(dir.file("report10.csv"));
    EXPECT_FALSE(fileExists(dir.file("report10.csv")));
    EXPECT_EQ(readFile(dir.file("report10.bak")), "new");
}

TEST(backupFile, MissingFileLeavesTheBackupAlone) {
    TempDir dir;
    writeFile(dir.file("rmob.bak"), "old");
    backupFile(dir.file("rmob.txt"));
    EXPECT_EQ(readFile(dir.file("rmob.bak")), "old");
}

TEST(backupFile, DirectoryOfTheNameIsNotAFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("velkreport.txt"));
    backupFile(dir.file("velkreport.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("velkreport.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("velkreport.bak")));
}

TEST(backupFileName, ExtensionOnlyAfterTheLastSeparator) {
    EXPECT_EQ(backupFileName("report10.csv"), "report10.bak");
    EXPECT_EQ(backupFileName("report"), "report.bak");
    EXPECT_EQ(backupFileName("data.old\\report"), "data.old\\report.bak");
    EXPECT_EQ(backupFileName("data.old/report"), "data.old/report.bak");
    EXPECT_EQ(backupFileName("c:report.x.txt"), "c:report.x.bak");
}

TEST(writeLinesToFile, EveryLineEndsInCrLfAndKeepsItsBytes) {
    TempDir dir;
    const std::string name = dir.file("out.txt");
    writeFile(name, "previous content");
    writeLinesToFile(name, {});
    EXPECT_EQ(readFile(name), "");
    writeLinesToFile(name, {"a\rb\nc", "", "d"}); // no conversion of the bytes
    EXPECT_EQ(readFile(name), "a\rb\nc\r\n\r\nd\r\n");
    writeBytesToFile(name, "raw\n");
    EXPECT_EQ(readFile(name), "raw\n");
}

TEST(TextFileWriter, FullDiskIsAnError) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    EXPECT_THROW(writeLinesToFile("/dev/full", {"line"}), IoError);
}

TEST(TextFileWriter, FileOfAFailedActionIsRemoved) {
    // An exception while a report is written unwinds past the writer before
    // its close: what stands on disk then is cut off.
    TempDir dir;
    const std::string name = dir.file("report10.csv");
    try {
        TextFileWriter out(name);
        out.writeLine("first half");
        throw std::runtime_error("the build failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(std::filesystem::exists(name));

    TextFileWriter done(name);
    done.writeLine("whole");
    done.close();
    EXPECT_EQ(readFile(name), "whole\r\n");
}

TEST(TextFileWriter, MissingFolderNamesTheFile) {
    try {
        TextFileWriter w("/nonexistent-folder/x.txt");
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-folder/x.txt"), std::string::npos);
    }
}

TEST(TextFileWriter, ErrorKeepsItsPartsForTheWindow) {
    TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directory("in-the-way.txt");
    std::filesystem::create_directory("sub");
    try {
        TextFileWriter w("./sub/../in-the-way.txt");
        ADD_FAILURE() << "no exception";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create './sub/../in-the-way.txt': " + std::string(strerror(EISDIR)));
        EXPECT_EQ(e.operation(), FileOperation::Create);
        EXPECT_EQ(e.fullPath(), (dir.path() / "in-the-way.txt").string());
        EXPECT_EQ(e.errorNumber(), EISDIR);
    }
    std::filesystem::current_path(previous);
    const IoError plain("just a message");
    EXPECT_FALSE(plain.operation());
}

TEST(formatFixed2, RoundsTheEighteenDigitStringHalfAwayFromZero) {
    EXPECT_EQ(formatFixed2(0.625), "0.63");
    EXPECT_EQ(formatFixed2(0.125), "0.13");
    EXPECT_EQ(formatFixed2(-0.625), "-0.63");
    EXPECT_EQ(formatFixed2(0.285), "0.28");
    EXPECT_EQ(formatFixed2(-0.001), "0.00");
    EXPECT_EQ(formatFixed2(-0.0), "0.00");
    EXPECT_EQ(formatFixed2(0.0), "0.00");
    EXPECT_EQ(formatFixed2(3.4641016151377544), "3.46");
    EXPECT_EQ(formatFixed2(std::sqrt(3.0) * 2), "3.46");
    EXPECT_EQ(formatFixed2(60.0 / 45.0 * 5), "6.67");
    EXPECT_EQ(formatFixed2(99.995), "100.00"); // 18 digits: 99.9950000000000045
    EXPECT_EQ(formatFixed2(1.005), "1.00");    // 18 digits: 1.00499999999999989
    EXPECT_EQ(formatFixed2(2147483647.0 * 6), "12884901882.00");
    EXPECT_EQ(formatFixed2(1e20), "100000000000000000000.00");
}

TEST(formatFixed2, FastPathAgreesWithTheExactOneNearEveryHalf) {
    // Every x.xx5 up to 2000 and values around them, plus rates of the form
    // count * 10 / minutes that the tables really print.
    for (int i = 0; i < 200000; ++i) {
        const double half = (i * 10 + 5) / 1000.0;
        for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e9), -half}) {
            ASSERT_EQ(formatFixed2(v), formatFixed2Exact(v)) << v;
        }
    }
    for (int count = 0; count < 3000; ++count) {
        for (int minutes = 1; minutes <= 70; ++minutes) {
            const double k = 10.0 / minutes;
            const double f = 60.0 / minutes;
            for (double v : {count * k, std::sqrt(double(count)) * k, count * f,
                             std::sqrt(double(count)) * f}) {
                ASSERT_EQ(formatFixed2(v), formatFixed2Exact(v)) << v;
            }
        }
    }
}

TEST(roundHalfAway, HalvesGoAwayFromZero) {
    EXPECT_EQ(roundHalfAway(12.5), 13);
    EXPECT_EQ(roundHalfAway(-12.5), -13);
    EXPECT_EQ(roundHalfAway(2.0), 2);
    EXPECT_EQ(roundHalfAway(999.5), 1000);
    EXPECT_EQ(roundHalfAway(0.49999999999999994), 0);
    EXPECT_EQ(roundHalfAway(14.0), 14);
}

TEST(appendInt, FullRange) {
    std::string s;
    appendInt(s, 0);
    s += ',';
    appendInt(s, -42);
    s += ',';
    appendInt(s, INT64_MIN);
    EXPECT_EQ(s, "0,-42,-9223372036854775808");
}
