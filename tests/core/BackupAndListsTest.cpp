#include "shared/Backup.h"
#include "shared/DateTime.h"
#include "shared/IoError.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"
#include "shared/TextLines.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

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

TEST(TextLines, ThreeAppendsGiveNineBytes) {
    TempDir dir;
    TextLines list;
    list.init();
    list.append("a");
    list.append("b");
    list.append("c");
    list.writeFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "a\r\nb\r\nc\r\n");
}

TEST(TextLines, EmptyAndClearedLists) {
    TempDir dir;
    writeFile(dir.file("out.txt"), "previous");
    TextLines list;
    list.init();
    list.clear(); // on an empty list
    list.writeFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "");

    list.append("x");
    list.append("");
    list.clear();
    list.append("a\rb\nc"); // bytes unchanged, no conversion
    list.append("");
    list.writeFile(dir.file("out.txt"));
    EXPECT_EQ(readFile(dir.file("out.txt")), "a\rb\nc\r\n\r\n");
    ASSERT_TRUE(list.top->next);
    EXPECT_EQ(list.top->text, "a\rb\nc");
}

TEST(TextLines, MillionNodesReleaseWithoutRecursion) {
    TextLines list;
    list.init();
    for (int i = 0; i < 1'000'000; ++i) {
        list.append("x");
    }
    list.clear();
    EXPECT_FALSE(list.top->next);
    for (int i = 0; i < 1'000'000; ++i) {
        list.append("y");
    }
    // The destructor releases the rest.
}

TEST(TextFileWriter, FullDiskIsAnError) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TextLines list;
    list.init();
    list.append("line");
    EXPECT_THROW(list.writeFile("/dev/full"), IoError);
}

TEST(TextFileWriter, EveryByteArrivesWhateverTheWritesSizes) {
    // The writer passes its text on in whole pieces: lines, short and long
    // texts that straddle a piece's end, a text of several pieces starting
    // mid-piece and one ending exactly on a border must all arrive in order.
    TempDir dir;
    const std::string name = (dir.path() / "pieces.txt").string();
    constexpr size_t piece = TextFileWriter::kBufferSize;
    std::string expected;
    TextFileWriter out(name);
    for (int i = 0; expected.size() < piece + 1000; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(i % 97, 'x');
        out.writeLineWith([&line](std::string& buffer) { buffer.append(line); });
        expected.append(line).append("\r\n");
    }
    std::string longText(2 * piece + 12345, '\0');
    for (size_t i = 0; i < longText.size(); ++i) {
        longText[i] = static_cast<char>('a' + i % 26);
    }
    out.write(longText);
    expected.append(longText);
    const std::string toBorder(piece - expected.size() % piece, 'b');
    out.write(toBorder);
    expected.append(toBorder);
    out.writeLine("after the border");
    expected.append("after the border\r\n");
    out.write(std::string(piece, 'c'));
    expected.append(piece, 'c');
    out.close();
    EXPECT_EQ(readWholeFile(name), expected);
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

TEST(forEachLine, AllThreeLineEndsAndCtrlZ) {
    std::vector<std::string> lines;
    auto collect = [&](std::string_view l) { lines.emplace_back(l); };
    forEachLine("a\r\nb\rc\nd", true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    lines.clear();
    forEachLine("a\r\n\r\nb\r\n", true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b"}));
    lines.clear();
    forEachLine("a\r\nbc\x1A"
                "d\r\ne",
                true, collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bc"}));
}

TEST(countLines, FinalEmptyLineDoesNotCount) {
    EXPECT_EQ(countLines(""), 0u);
    EXPECT_EQ(countLines("a"), 1u);
    EXPECT_EQ(countLines("a\r\n"), 1u);
    EXPECT_EQ(countLines("a\r\n\r\n"), 2u);
    EXPECT_EQ(firstLine("#head\r\nx"), "#head");
    EXPECT_EQ(lastLine("a\r\nlast\r\n"), "last");
    EXPECT_EQ(lastLine("a\r\nlast"), "last");
    EXPECT_EQ(lastLine("a\r\n\r\n"), "");
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
