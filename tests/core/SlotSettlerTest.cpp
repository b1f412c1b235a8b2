// The slots the rows of a data text settle into, read through the reader as
// a run reads them.

#include "data/SlotSettler.h"

#include "TenMinuteTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

std::string row(const std::string& time, const std::string& counts = "1,0,0,10,",
                const std::string& name = "f") {
    return name + ",2004/01/05 " + time + "," + counts;
}

// "hh:nn" of each slot, gap slots marked.
Lines timesOf(const Settled& s) {
    Lines times;
    for (const std::string& line : s.rows) {
        const std::size_t comma = line.find(',');
        times.push_back(line.substr(comma + 12, 5) + (line.starts_with("NoFile,") ? " gap" : ""));
    }
    return times;
}

} // namespace

TEST(SlotSettler, WorkedExample) {
    const Settled s = settle(
        dataText({"a.dat,2004/01/05 09:30:00,12,3,1,10,", "b.dat,2004/01/05 09:40:00,5,0,0,6,x",
                  "c.dat,2004/01/05 09:40:00,2,1,0,4,y", "d.dat,2004/01/05 10:10:00,7,0,2,10,"}));
    EXPECT_EQ(s.rows, (Lines{
                          "a.dat,2004/01/05 09:30,12,3,1,10,12.00,3.00,1.00,3.46,1.73,1.00,",
                          "b.dat&c.dat,2004/01/05 09:40,7,1,0,10,7.00,1.00,0.00,2.65,1.00,0.00,xy",
                          "NoFile,2004/01/05 09:50,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve",
                          "NoFile,2004/01/05 10:00,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve",
                          "d.dat,2004/01/05 10:10,7,0,2,10,7.00,0.00,2.00,2.65,0.00,1.41,",
                      }));
    EXPECT_TRUE(s.reading.rejectedLines.empty());
}

TEST(SlotSettler, NoRowsAndASingleRow) {
    EXPECT_TRUE(settle("").rows.empty());
    EXPECT_EQ(settle(row("09:30:45", "3,0,0,5,r")).rows,
              Lines{"f,2004/01/05 09:30,3,0,0,5,6.00,0.00,0.00,3.46,0.00,0.00,r"});
}

TEST(SlotSettler, MergesConsecutiveRowsOfOneSlot) {
    const Settled s =
        settle(dataText({row("09:30:00", "5,1,0,6,x", "a"), row("09:30:00", "2,0,0,4,y", "b"),
                         row("09:30:00", "0,0,1,0,z", "c"), row("09:40:00", "0,0,2,0,", "d"),
                         row("09:40:00", "0,0,3,0,", "e")}));
    ASSERT_EQ(s.rows.size(), 2u);
    // Three rows: names joined in file order, counts summed, remarks run together.
    EXPECT_EQ(s.rows[0], "a&b&c,2004/01/05 09:30,7,1,1,10,7.00,1.00,1.00,2.65,1.00,1.00,xyz");
    // Other data only: ObsTime sums to 0, so every rate and error is 0.
    EXPECT_EQ(s.rows[1], "d&e,2004/01/05 09:40,0,0,5,0,0.00,0.00,0.00,0.00,0.00,0.00,");
}

TEST(SlotSettler, MergedSumsGoBeyondThirtyTwoBits) {
    const std::string full = row("09:30:00", "2147483647,2147483647,$7FFFFFFF,2147483647,");
    EXPECT_EQ(settle(dataText({full, full})).rows,
              Lines{"f&f,2004/01/05 09:30,4294967294,4294967294,4294967294,"
                    "4294967294,10.00,10.00,10.00,0.00,0.00,0.00,"});
}

TEST(SlotSettler, GapRowsAcrossMidnight) {
    const Settled s =
        settle(dataText({"a,2004/01/05 23:50:00,1,0,0,10,", "b,2004/01/06 00:10:00,1,0,0,10,"}));
    ASSERT_EQ(s.rows.size(), 3u);
    EXPECT_EQ(s.rows[1], "NoFile,2004/01/06 00:00,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
}

TEST(SlotSettler, RowsThatCannotBePlacedAreSetAside) {
    // Out of order, a second row of a slot not directly after its first, an
    // off-grid row, and one second off: each would make gap insertion run
    // forever. They follow the reader's rejected lines, in the order met.
    const Settled s = settle(
        dataText({row("09:30:00"), "bad line", row("09:40:00"), row("09:30:00", "2,0,0,10,"),
                  row("09:35:00", "3,0,0,10,"), row("09:50:00"), row("10:15:00", "4,0,0,10,"),
                  row("10:20:01", "5,0,0,10,"), row("10:40:00"), "other bad line"}));
    EXPECT_EQ(timesOf(s), (Lines{"09:30", "09:40", "09:50", "10:00 gap", "10:10 gap", "10:20 gap",
                                 "10:30 gap", "10:40"}));
    EXPECT_EQ(s.reading.rejectedLines,
              (Lines{"bad line", "other bad line", row("09:30:00", "2,0,0,10,"),
                     row("09:35:00", "3,0,0,10,"), row("10:15:00", "4,0,0,10,"),
                     row("10:20:01", "5,0,0,10,")}));
}

TEST(SlotSettler, RowYearsAheadIsSetAside) {
    // One mistyped year must not add millions (or billions) of gap rows.
    for (const auto& [good, far] :
         {std::pair{"2004/01/05", "9999/12/31"}, std::pair{"2014/01/05", "2104/01/05"}}) {
        const std::string g = good;
        const std::string farLine = "x," + std::string(far) + " 09:40:00,1,0,0,10,";
        const Settled s =
            settle(dataText({"a," + g + " 09:30:00,1,0,0,10,", farLine,
                             "b," + g + " 09:40:00,1,0,0,10,", "c," + g + " 12:00:00,1,0,0,10,"}));
        EXPECT_EQ(s.rows.size(), 16u);
        EXPECT_EQ(s.reading.rejectedLines, Lines{farLine});
    }
    // A few years of silence are still filled slot by slot.
    const Settled s =
        settle(dataText({"a,2004/01/05 09:30:00,1,0,0,10,", "b,2007/01/05 09:30:00,1,0,0,10,"}));
    EXPECT_EQ(s.rows.size(), 1096u * 144 + 1);
    EXPECT_TRUE(s.reading.rejectedLines.empty());
}

TEST(SlotSettler, GapRowsOfAFileStopAtTwentyYears) {
    // Each hop is under the ten years between two rows, but together they
    // would fill forty years with gap rows.
    Lines lines;
    for (const char* year : {"2000", "2009", "2018", "2027", "2036"}) {
        lines.push_back(std::string("a.dat,") + year + "/01/01 00:00:00,1,0,0,10,");
    }
    std::size_t rows = 0;
    std::string last;
    DataFileHandlers handlers;
    handlers.onRow = [&](const TenMinuteRow& r) {
        ++rows;
        last = reportTimeText(r.time);
    };
    const DataFileReading reading = readDataText(dataText(lines), handlers);
    EXPECT_EQ(last, "2018/01/01 00:00");
    EXPECT_LE(rows, static_cast<std::size_t>(SlotSettler::kMaxGapRows) + 3);
    EXPECT_EQ(reading.rejectedLines, (Lines{lines[3], lines[4]}));
}
