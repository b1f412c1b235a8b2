#include "data/TenMinuteTable.h"

#include "TenMinuteTestSupport.h"

#include <gtest/gtest.h>

namespace {

DateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return *tryEncodeDateTime(year, month, day, hour, minute, second);
}

// A list read from data lines, normalised. Every case also runs through the
// one-pass load, keeping the rows and not: both must give the same rows (to
// the list and to the sink, in order) and the same set-aside lines.
struct Normalized {
    explicit Normalized(const std::vector<std::string>& lines) {
        list.init();
        std::string text;
        for (const std::string& line : lines) {
            list.addLine(line);
            text += line + "\r\n";
        }
        list.normalize();
        const std::vector<std::string> table = tableOf(list);
        for (KeepRows keep : {KeepRows::Yes, KeepRows::No}) {
            TenMinuteTable streamed;
            streamed.init();
            std::vector<std::string> handedOn;
            streamed.loadNormalized(
                text, [&](const TenMinuteRow& row) { handedOn.push_back(tenMinuteRowText(row)); },
                keep);
            EXPECT_EQ(handedOn, table);
            EXPECT_EQ(tableOf(streamed),
                      keep == KeepRows::Yes ? table : std::vector<std::string>{});
            EXPECT_EQ(rejectedOf(streamed), rejectedOf(list));
        }
    }
    TenMinuteTable list;
};

std::string row(const std::string& time, const std::string& counts = "1,0,0,10,",
                const std::string& name = "f") {
    return name + ",2004/01/05 " + time + "," + counts;
}

std::vector<std::string> timesOf(const TenMinuteTable& list) {
    std::vector<std::string> times;
    for (const TenMinuteRow* r : rowsOf(list)) {
        times.push_back(reportTimeText(r->time).substr(11) +
                        (r->fileName == "NoFile" ? " gap" : ""));
    }
    return times;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(normalize, WorkedExample) {
    Normalized n({"a.dat,2004/01/05 09:30:00,12,3,1,10,", "b.dat,2004/01/05 09:40:00,5,0,0,6,x",
                  "c.dat,2004/01/05 09:40:00,2,1,0,4,y", "d.dat,2004/01/05 10:10:00,7,0,2,10,"});
    EXPECT_EQ(tableOf(n.list),
              (Lines{
                  "a.dat,2004/01/05 09:30,12,3,1,10,12.00,3.00,1.00,3.46,1.73,1.00,",
                  "b.dat&c.dat,2004/01/05 09:40,7,1,0,10,7.00,1.00,0.00,2.65,1.00,0.00,xy",
                  "NoFile,2004/01/05 09:50,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve",
                  "NoFile,2004/01/05 10:00,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve",
                  "d.dat,2004/01/05 10:10,7,0,2,10,7.00,0.00,2.00,2.65,0.00,1.41,",
              }));
    // Run again, every row is the slot due: nothing but the same rates.
    const Lines before = tableOf(n.list);
    n.list.normalize();
    EXPECT_EQ(tableOf(n.list), before);
    EXPECT_TRUE(rejectedOf(n.list).empty());
}

TEST(normalize, EmptyListAndSingleRow) {
    Normalized empty({});
    EXPECT_TRUE(rowsOf(empty.list).empty());
    EXPECT_EQ(empty.list.top.get(), empty.list.endNode);

    Normalized single({row("09:30:45", "3,0,0,5,r")});
    EXPECT_EQ(tableOf(single.list),
              Lines{"f,2004/01/05 09:30,3,0,0,5,6.00,0.00,0.00,3.46,0.00,0.00,r"});
}

TEST(normalize, MergesConsecutiveRowsOfOneSlot) {
    Normalized n({row("09:30:00", "5,1,0,6,x", "a"), row("09:30:00", "2,0,0,4,y", "b"),
                  row("09:30:00", "0,0,1,0,z", "c"), row("09:40:00", "0,0,2,0,", "d"),
                  row("09:40:00", "0,0,3,0,", "e")});
    ASSERT_EQ(rowsOf(n.list).size(), 2u);
    // Three rows: names joined in file order, counts summed, remarks run together.
    EXPECT_EQ(tableOf(n.list)[0],
              "a&b&c,2004/01/05 09:30,7,1,1,10,7.00,1.00,1.00,2.65,1.00,1.00,xyz");
    // Other data only: ObsTime sums to 0, so every rate and error is 0.
    EXPECT_EQ(tableOf(n.list)[1], "d&e,2004/01/05 09:40,0,0,5,0,0.00,0.00,0.00,0.00,0.00,0.00,");
}

TEST(normalize, MergedSumsGoBeyondThirtyTwoBits) {
    Normalized n({row("09:30:00", "2147483647,2147483647,$7FFFFFFF,2147483647,"),
                  row("09:30:00", "2147483647,2147483647,$7FFFFFFF,2147483647,")});
    ASSERT_EQ(rowsOf(n.list).size(), 1u);
    EXPECT_EQ(tableOf(n.list)[0], "f&f,2004/01/05 09:30,4294967294,4294967294,4294967294,"
                                  "4294967294,10.00,10.00,10.00,0.00,0.00,0.00,");
}

TEST(normalize, GapRowsAcrossMidnight) {
    Normalized n({"a,2004/01/05 23:50:00,1,0,0,10,", "b,2004/01/06 00:10:00,1,0,0,10,"});
    EXPECT_EQ(tableOf(n.list)[1],
              "NoFile,2004/01/06 00:00,0,0,0,0,0.00,0.00,0.00,0.00,0.00,0.00,NoObserve");
    EXPECT_EQ(rowsOf(n.list).size(), 3u);
}

TEST(normalize, SlotsCompareToTheWholeSecond) {
    const DateTime ms = 1.0 / 86400000.0;
    // 0.4 ms after the slot is still the slot; one second after it is not.
    Normalized close({row("09:30:00"), row("09:40:00")});
    close.list.top->next->time += 0.4 * ms;
    close.list.normalize();
    EXPECT_EQ(timesOf(close.list), (Lines{"09:30", "09:40"}));

    // The gap row's time is the expected slot cut to whole seconds, not the
    // previous time plus ten minutes.
    Normalized cut({row("09:30:00"), row("10:00:00")});
    cut.list.top->time += 400 * ms;
    cut.list.normalize();
    ASSERT_EQ(rowsOf(cut.list).size(), 4u);
    EXPECT_EQ(rowsOf(cut.list)[1]->time, at(2004, 1, 5, 9, 40));
    EXPECT_EQ(rowsOf(cut.list)[2]->time, at(2004, 1, 5, 9, 50));
}

TEST(normalize, RowsThatCannotBePlacedAreSetAside) {
    // Out of order, a second row of a slot not directly after its first, an
    // off-grid row, and one second off: each would make gap insertion run
    // forever. They follow the reader's rejected lines, in the order met.
    Normalized n({row("09:30:00"), "bad line", row("09:40:00"), row("09:30:00", "2,0,0,10,"),
                  row("09:35:00", "3,0,0,10,"), row("09:50:00"), row("10:15:00", "4,0,0,10,"),
                  row("10:20:01", "5,0,0,10,"), row("10:40:00"), "other bad line"});
    EXPECT_EQ(timesOf(n.list), (Lines{"09:30", "09:40", "09:50", "10:00 gap", "10:10 gap",
                                      "10:20 gap", "10:30 gap", "10:40"}));
    EXPECT_EQ(rejectedOf(n.list), (Lines{"bad line", "other bad line", row("09:30:00", "2,0,0,10,"),
                                         row("09:35:00", "3,0,0,10,"), row("10:15:00", "4,0,0,10,"),
                                         row("10:20:01", "5,0,0,10,")}));
}

// A list normalised before (gap rows borrow literals, merged rows own their
// texts) takes a late line out of order: set aside exactly as read, and the
// rows before it stay as they were.
TEST(normalize, AgainAfterALateLine) {
    Normalized n({row("09:30:00"), row("09:30:00", "2,0,0,10,x", "g"), row("10:00:00")});
    const Lines before = tableOf(n.list);
    n.list.addLine(row("09:40:00", "5,0,0,10,late"));
    n.list.normalize();
    EXPECT_EQ(tableOf(n.list), before);
    EXPECT_EQ(rejectedOf(n.list), Lines{row("09:40:00", "5,0,0,10,late")});
}

TEST(normalize, RowYearsAheadIsSetAside) {
    // One mistyped year must not add millions (or billions) of gap rows.
    for (const auto& [good, far] :
         {std::pair{"2004/01/05", "9999/12/31"}, std::pair{"2014/01/05", "2104/01/05"}}) {
        const std::string g = good;
        Normalized n({"a," + g + " 09:30:00,1,0,0,10,",
                      "x," + std::string(far) + " 09:40:00,1,0,0,10,",
                      "b," + g + " 09:40:00,1,0,0,10,", "c," + g + " 12:00:00,1,0,0,10,"});
        EXPECT_EQ(rowsOf(n.list).size(), 16u);
        EXPECT_EQ(rejectedOf(n.list), Lines{"x," + std::string(far) + " 09:40:00,1,0,0,10,"});
    }
    // A few years of silence are still filled slot by slot.
    Normalized n({"a,2004/01/05 09:30:00,1,0,0,10,", "b,2007/01/05 09:30:00,1,0,0,10,"});
    EXPECT_EQ(rowsOf(n.list).size(), 1096u * 144 + 1);
    EXPECT_TRUE(rejectedOf(n.list).empty());
}

TEST(normalize, DecadeOfLinesLoadsAndNormalises) {
    constexpr int kSlots = 530'000;
    const std::int64_t start = secondKeyOf(at(2004, 1, 1, 0, 0));
    std::string text;
    text.reserve(kSlots * 40);
    for (int i = 0; i < kSlots; ++i) {
        if (i % 1000 == 500) {
            continue; // a gap row fills it
        }
        const std::string line =
            "velk" + std::to_string(i) + ".dat," +
            reportTimeText(dateTimeOfSecondKey(start + std::int64_t{i} * 600)) + ",3,1,0,10,\r\n";
        text += line;
        if (i % 5000 == 0) {
            text += line; // merged into one row
        }
    }
    TenMinuteTable list;
    list.init();
    list.loadText(std::move(text));
    list.normalize();
    std::size_t rows = 0;
    std::size_t gaps = 0;
    const TenMinuteRow* last = nullptr;
    for (const TenMinuteRow* r = list.top.get(); r->next; r = r->next.get()) {
        ++rows;
        gaps += r->fileName == "NoFile" ? 1 : 0;
        last = r;
    }
    EXPECT_EQ(rows, static_cast<std::size_t>(kSlots));
    EXPECT_EQ(gaps, 530u);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(secondKeyOf(last->time), start + std::int64_t{kSlots - 1} * 600);
    EXPECT_EQ(list.top->echo, 6);
    EXPECT_FALSE(list.rejectedTop->next);
}
