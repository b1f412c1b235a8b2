#include "data/TenMinuteTableWriter.h"

#include "shared/IoError.h"

#include "TenMinuteTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Enough rows for each of the three batches to be filled twice (some 8,000
// rows each), with merged rows (owned texts), gap rows (literal texts) and
// remarks.
std::string manyLines() {
    std::string text;
    const DateTime start = parseDateTime("2004/01/05 00:00:00");
    for (int i = 0; i < 50000; ++i) {
        if (i % 97 == 5) {
            continue; // a gap row
        }
        const std::string line = "f" + std::to_string(i) + ".dat," +
                                 reportTimeText(start + i * kTenMinutes) + ":00," +
                                 std::to_string(i % 13) + ",1,0," + std::to_string(1 + i % 10) +
                                 (i % 3 == 0 ? ",note " + std::to_string(i) : ",") + "\r\n";
        text += line;
        if (i % 101 == 0) {
            text += line; // merged: the row owns its texts
        }
    }
    return text;
}

} // namespace

// The table written beside the reading, rows let go as written, is the table
// of the kept rows, line for line.
TEST(TenMinuteTableWriter, WritesWhatTheKeptRowsWrite) {
    TempDir dir;
    const std::string text = manyLines();
    TenMinuteTable kept;
    kept.init();
    kept.loadText(text);
    kept.normalize();
    const std::string expected = (dir.path() / "kept.csv").string();
    kept.writeFile(expected, true);

    const std::string streamed = (dir.path() / "streamed.csv").string();
    TenMinuteTable released;
    released.init();
    TenMinuteTableWriter writer(streamed, true);
    released.loadNormalized(
        text, [&writer](const TenMinuteRow& row) { writer.add(row); }, KeepRows::No);
    writer.close();
    EXPECT_EQ(readFile(streamed), readFile(expected));
}

// A write that fails on the writer's thread is the caller's IoError, and a
// writer given up before close leaves no partial table behind.
TEST(TenMinuteTableWriter, FailuresReachTheCallerAndNoPartialFileStays) {
    TempDir dir;
    TenMinuteTable rows;
    rows.init();
    rows.loadText(manyLines());
    rows.normalize();
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(
            {
                TenMinuteTableWriter writer("/dev/full", false);
                for (const TenMinuteRow* row : rowsOf(rows)) {
                    writer.add(*row);
                }
                writer.close();
            },
            IoError);
    }
    const std::string name = (dir.path() / "abandoned.csv").string();
    {
        TenMinuteTableWriter writer(name, true);
        for (const TenMinuteRow* row : rowsOf(rows)) {
            writer.add(*row);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_THROW(TenMinuteTableWriter((dir.path() / "no" / "such.csv").string(), true), IoError);
}

// What runs after the table: it finds the file complete and closed, its
// failure is finish's, a failed write keeps it from running, and a writer
// left after closeThen still completes its table.
TEST(TenMinuteTableWriter, WorkAfterTheTableSeesItWholeAndFailsThroughFinish) {
    TempDir dir;
    TenMinuteTable rows;
    rows.init();
    rows.loadText(manyLines());
    rows.normalize();
    const std::string expected = (dir.path() / "kept.csv").string();
    rows.writeFile(expected, true);
    const auto writeAll = [&rows](TenMinuteTableWriter& writer) {
        for (const TenMinuteRow* row : rowsOf(rows)) {
            writer.add(*row);
        }
    };

    const std::string name = (dir.path() / "then.csv").string();
    std::string seen;
    {
        TenMinuteTableWriter writer(name, true);
        writeAll(writer);
        writer.closeThen([&] { seen = readFile(name); });
        writer.finish();
    }
    EXPECT_EQ(seen, readFile(expected));

    TenMinuteTableWriter failing((dir.path() / "failing.csv").string(), true);
    writeAll(failing);
    failing.closeThen([] { throw IoError("after the table"); });
    try {
        failing.finish();
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "after the table");
    }

    if (std::filesystem::exists("/dev/full")) {
        bool ran = false;
        TenMinuteTableWriter full("/dev/full", false);
        EXPECT_THROW(
            {
                writeAll(full);
                full.closeThen([&ran] { ran = true; });
                full.finish();
            },
            IoError);
        EXPECT_FALSE(ran);
    }

    const std::string left = (dir.path() / "left.csv").string();
    {
        TenMinuteTableWriter writer(left, true);
        writeAll(writer);
        writer.closeThen({});
    }
    EXPECT_EQ(readFile(left), readFile(expected));
}
