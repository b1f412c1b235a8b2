#include "data/TenMinuteRow.h"
#include "data/TenMinuteTableFormatter.h"

#include "TenMinuteTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <thread>

namespace {

const std::string kHeader = std::string(kTenMinuteHeaderLine) + "\r\n";

// Rows of every kind in many batches: full and partial slots, gap rows,
// merged names, remarks, and now and then a row of another day, earlier or
// later, so that a date made once a day is made again when the day changes.
struct ManyRows {
    std::vector<std::string> names, remarks;
    std::vector<TenMinuteRow> rows;

    explicit ManyRows(std::size_t count) {
        std::mt19937 random(20040105);
        names.reserve(count);
        remarks.reserve(count);
        const Timestamp start = timeOf("2004/01/05 00:00:00");
        for (std::size_t i = 0; i < count; ++i) {
            Timestamp time = start + kSlotLength * static_cast<int>(i);
            if (random() % 500 == 0) {
                time -= std::chrono::days{1 + random() % 400};
            }
            if (random() % 50 == 0) {
                rows.push_back(gapRow(time));
                continue;
            }
            names.push_back("f" + std::to_string(i) + (i % 101 == 0 ? ".dat&g.dat" : ".dat"));
            remarks.push_back(i % 3 == 0 ? "note " + std::to_string(i) : "");
            TenMinuteRow row;
            row.fileName = names.back();
            row.remark = remarks.back();
            row.time = time;
            row.echo = static_cast<std::int64_t>(random() % 40);
            row.longEcho = static_cast<std::int64_t>(random() % 3);
            row.otherData = static_cast<std::int64_t>(random() % 2);
            row.observedMinutes = 1 + static_cast<std::int64_t>(random() % 10);
            rows.push_back(row);
        }
    }

    std::string table() const {
        std::string text;
        for (const TenMinuteRow& row : rows) {
            appendTenMinuteLine(text, row);
            text += "\r\n";
        }
        return text;
    }
};

} // namespace

TEST(tenMinuteLine, RatesAndErrorsPerTenObservedMinutes) {
    TenMinuteRow row;
    row.fileName = "a.dat";
    row.time = timeOf("2004/01/05 09:30:45");
    row.echo = 1;
    row.observedMinutes = 16;
    row.remark = "x,y";
    EXPECT_EQ(tenMinuteLine(row),
              "a.dat,2004/01/05 09:30,1,0,0,16,0.63,0.00,0.00,0.63,0.00,0.00,x,y");
    row.echo = 0;
    row.otherData = 3;
    row.observedMinutes = 0;
    row.remark = "";
    EXPECT_EQ(tenMinuteLine(row), "a.dat,2004/01/05 09:30,0,0,3,0,0.00,0.00,0.00,0.00,0.00,0.00,");
    EXPECT_EQ(tenMinuteLine(gapRow(timeOf("2004/01/06 00:00:00"))),
              "NoFile,2004/01/06 00:00,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
}

TEST(withTenMinuteHeader, AddsOrDropsTheHeaderOnly) {
    const std::string body = "a,b\r\n";
    EXPECT_EQ(withTenMinuteHeader(body, true), kHeader + body);
    EXPECT_EQ(withTenMinuteHeader(kHeader + body, true), kHeader + body);
    EXPECT_EQ(withTenMinuteHeader(kHeader + body, false), body);
    EXPECT_EQ(withTenMinuteHeader(body, false), body);
    EXPECT_EQ(withTenMinuteHeader("", true), kHeader);
}

// Formatted on other threads, the pieces reach the sink on the caller's
// thread, in row order, and together are the table of the rows line by line.
TEST(TenMinuteTableFormatter, GivesTheLinesOfTheRowsInOrder) {
    const ManyRows many(6 * TenMinuteTableFormatter::kBatchRows + 123);
    const std::string expected = many.table();
    for (bool header : {false, true}) {
        std::string table;
        bool otherThread = false;
        const std::thread::id caller = std::this_thread::get_id();
        TenMinuteTableFormatter formatter(header, [&](std::string_view piece) {
            otherThread = otherThread || std::this_thread::get_id() != caller;
            table += piece;
        });
        for (const TenMinuteRow& row : many.rows) {
            formatter.add(row);
        }
        formatter.finish();
        EXPECT_EQ(table, header ? kHeader + expected : expected);
        EXPECT_FALSE(otherThread);
    }
}

TEST(TenMinuteTableFormatter, NoRowsAndAFailingSinkAndOneGivenUp) {
    std::string table;
    TenMinuteTableFormatter empty(true, [&](std::string_view piece) { table += piece; });
    empty.finish();
    EXPECT_EQ(table, kHeader);

    const ManyRows many(3 * TenMinuteTableFormatter::kBatchRows);
    TenMinuteTableFormatter failing(
        false, [](std::string_view) { throw std::runtime_error("disk full"); });
    EXPECT_THROW(
        {
            for (const TenMinuteRow& row : many.rows) {
                failing.add(row);
            }
            failing.finish();
        },
        std::runtime_error);

    // A run stopped part way destroys its formatter with batches in flight.
    TenMinuteTableFormatter givenUp(false, [](std::string_view) {});
    for (const TenMinuteRow& row : many.rows) {
        givenUp.add(row);
    }
}
