#include "shared/Errors.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"
#include "shared/UFunction.h"
#include "shared/UTstrings2.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

TEST(BackupFile, MovesTheFileAsideReplacingAnOlderBackup) {
    TempDir dir;
    writeFile(dir.file("report10.csv"), "new");
    writeFile(dir.file("report10.bak"), "old");
    BackupFile(dir.file("report10.csv"));
    EXPECT_FALSE(FileExists(dir.file("report10.csv")));
    EXPECT_EQ(readFile(dir.file("report10.bak")), "new");
}

TEST(BackupFile, MissingFileLeavesTheBackupAlone) {
    TempDir dir;
    writeFile(dir.file("rmob.bak"), "old");
    BackupFile(dir.file("rmob.txt"));
    EXPECT_EQ(readFile(dir.file("rmob.bak")), "old");
}

TEST(BackupFile, DirectoryOfTheNameIsNotAFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("velkreport.txt"));
    BackupFile(dir.file("velkreport.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("velkreport.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("velkreport.bak")));
}

TEST(BackupFileName, ExtensionOnlyAfterTheLastSeparator) {
    EXPECT_EQ(BackupFileName("report10.csv"), "report10.bak");
    EXPECT_EQ(BackupFileName("report"), "report.bak");
    EXPECT_EQ(BackupFileName("data.old\\report"), "data.old\\report.bak");
    EXPECT_EQ(BackupFileName("data.old/report"), "data.old/report.bak");
    EXPECT_EQ(BackupFileName("c:report.x.txt"), "c:report.x.bak");
}

TEST(TStringRecordList, ThreeAppendsGiveNineBytes) {
    TempDir dir;
    TStringRecordList list;
    list.Init();
    list.Append("a");
    list.Append("b");
    list.Append("c");
    list.WriteToFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "a\r\nb\r\nc\r\n");
}

TEST(TStringRecordList, EmptyAndClearedLists) {
    TempDir dir;
    writeFile(dir.file("out.txt"), "previous");
    TStringRecordList list;
    list.Init();
    list.Clear(); // on an empty list
    list.WriteToFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "");

    list.Append("x");
    list.Append("");
    list.Clear();
    list.Append("a\rb\nc"); // bytes unchanged, no conversion
    list.Append("");
    list.WriteToFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "a\rb\nc\r\n\r\n");
    ASSERT_TRUE(list.Top->Next);
    EXPECT_EQ(list.Top->Str, "a\rb\nc");
}

TEST(TStringRecordList, MillionNodesReleaseWithoutRecursion) {
    TStringRecordList list;
    list.Init();
    for (int i = 0; i < 1'000'000; ++i) {
        list.Append("x");
    }
    list.Clear();
    EXPECT_FALSE(list.Top->Next);
    for (int i = 0; i < 1'000'000; ++i) {
        list.Append("y");
    }
    // The destructor releases the rest.
}

TEST(TextFileWriter, FullDiskIsAnError) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TStringRecordList list;
    list.Init();
    list.Append("line");
    EXPECT_THROW(list.WriteToFile("/dev/full"), IoError);
}

TEST(TextFileWriter, MissingFolderNamesTheFile) {
    try {
        TextFileWriter w("/nonexistent-folder/x.txt");
        FAIL() << "no exception";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-folder/x.txt"), std::string::npos);
    }
}

TEST(ForEachLine, AllThreeLineEndsAndCtrlZ) {
    std::vector<std::string> lines;
    auto collect = [&](std::string_view l) { lines.emplace_back(l); };
    ForEachLine("a\r\nb\rc\nd", true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    lines.clear();
    ForEachLine("a\r\n\r\nb\r\n", true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b"}));
    lines.clear();
    ForEachLine("a\r\nbc\x1A"
                "d\r\ne",
                true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bc"}));
}

TEST(CountLines, FinalEmptyLineDoesNotCount) {
    EXPECT_EQ(CountLines(""), 0u);
    EXPECT_EQ(CountLines("a"), 1u);
    EXPECT_EQ(CountLines("a\r\n"), 1u);
    EXPECT_EQ(CountLines("a\r\n\r\n"), 2u);
    EXPECT_EQ(FirstLine("#head\r\nx"), "#head");
    EXPECT_EQ(LastLine("a\r\nlast\r\n"), "last");
    EXPECT_EQ(LastLine("a\r\nlast"), "last");
    EXPECT_EQ(LastLine("a\r\n\r\n"), "");
}

TEST(FormatFixed2, RoundsTheEighteenDigitStringHalfAwayFromZero) {
    EXPECT_EQ(FormatFixed2(0.625), "0.63");
    EXPECT_EQ(FormatFixed2(0.125), "0.13");
    EXPECT_EQ(FormatFixed2(-0.625), "-0.63");
    EXPECT_EQ(FormatFixed2(0.285), "0.28");
    EXPECT_EQ(FormatFixed2(-0.001), "0.00");
    EXPECT_EQ(FormatFixed2(-0.0), "0.00");
    EXPECT_EQ(FormatFixed2(0.0), "0.00");
    EXPECT_EQ(FormatFixed2(3.4641016151377544), "3.46");
    EXPECT_EQ(FormatFixed2(std::sqrt(3.0) * 2), "3.46");
    EXPECT_EQ(FormatFixed2(60.0 / 45.0 * 5), "6.67");
    EXPECT_EQ(FormatFixed2(99.995), "100.00"); // 18 digits: 99.9950000000000045
    EXPECT_EQ(FormatFixed2(1.005), "1.00");    // 18 digits: 1.00499999999999989
    EXPECT_EQ(FormatFixed2(2147483647.0 * 6), "12884901882.00");
    EXPECT_EQ(FormatFixed2(1e20), "100000000000000000000.00");
}

TEST(FormatFixed2, FastPathAgreesWithTheExactOneNearEveryHalf) {
    // Every x.xx5 up to 2000 and values around them, plus rates of the form
    // count * 10 / minutes that the tables really print.
    for (int i = 0; i < 200000; ++i) {
        const double half = (i * 10 + 5) / 1000.0;
        for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e9), -half}) {
            ASSERT_EQ(FormatFixed2(v), FormatFixed2Exact(v)) << v;
        }
    }
    for (int count = 0; count < 3000; ++count) {
        for (int minutes = 1; minutes <= 70; ++minutes) {
            const double k = 10.0 / minutes;
            const double f = 60.0 / minutes;
            for (double v : {count * k, std::sqrt(double(count)) * k, count * f,
                             std::sqrt(double(count)) * f}) {
                ASSERT_EQ(FormatFixed2(v), FormatFixed2Exact(v)) << v;
            }
        }
    }
}

TEST(RoundHalfAway, HalvesGoAwayFromZero) {
    EXPECT_EQ(RoundHalfAway(12.5), 13);
    EXPECT_EQ(RoundHalfAway(-12.5), -13);
    EXPECT_EQ(RoundHalfAway(2.0), 2);
    EXPECT_EQ(RoundHalfAway(999.5), 1000);
    EXPECT_EQ(RoundHalfAway(0.49999999999999994), 0);
    EXPECT_EQ(RoundHalfAway(14.0), 14);
}

TEST(AppendInt, FullRange) {
    std::string s;
    AppendInt(s, 0);
    s += ',';
    AppendInt(s, -42);
    s += ',';
    AppendInt(s, INT64_MIN);
    EXPECT_EQ(s, "0,-42,-9223372036854775808");
}
