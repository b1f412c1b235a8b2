#include "data/DataFileReader.h"
#include "data/DataLine.h"

#include "TenMinuteTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// "データが不正です。" CR "観測時間が「０」なのにエコー数が記録されています。 " CR "[ "
const std::string kImplausiblePrefix =
    "\x83\x66\x81\x5b\x83\x5e\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7\x81\x42"
    "\r"
    "\x8a\xcf\x91\xaa\x8e\x9e\x8a\xd4\x82\xaa\x81\x75\x82\x4f\x81\x76\x82\xc8\x82\xcc\x82\xc9"
    "\x83\x47\x83\x52\x81\x5b\x90\x94\x82\xaa\x8b\x4c\x98\x5e\x82\xb3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xdc\x82\xb7\x81\x42 "
    "\r[ ";
// "予想外のエラーが発生しました??"
const std::string kUnexpectedError = "\x97\x5c\x91\x7a\x8a\x4f\x82\xcc\x83\x47\x83\x89\x81\x5b"
                                     "\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd??";

Timestamp at(int year, int month, int day, int hour, int minute) {
    return *makeTimestamp(year, month, day, hour, minute, 0);
}

using Lines = std::vector<std::string>;

} // namespace

TEST(readDataLine, ReadsEveryColumn) {
    TenMinuteRow a;
    const std::string one = "a.dat,2004/01/05 09:30:00,12,3,1,10,";
    ASSERT_EQ(readDataLine(one, a), LineVerdict::Row);
    EXPECT_EQ(a.fileName, "a.dat");
    EXPECT_EQ(a.time, at(2004, 1, 5, 9, 30));
    EXPECT_EQ(a.echo, 12);
    EXPECT_EQ(a.longEcho, 3);
    EXPECT_EQ(a.otherData, 1);
    EXPECT_EQ(a.observedMinutes, 10);
    EXPECT_EQ(a.remark, "");
    // Date and time in two columns; the remark keeps its commas.
    TenMinuteRow b;
    const std::string two = "b.dat,2004/01/05,09:40:00,7,0,2,10,x,y";
    ASSERT_EQ(readDataLine(two, b), LineVerdict::Row);
    EXPECT_EQ(b.time, at(2004, 1, 5, 9, 40));
    EXPECT_EQ(b.echo, 7);
    EXPECT_EQ(b.otherData, 2);
    EXPECT_EQ(b.remark, "x,y");
    TenMinuteRow c;
    ASSERT_EQ(readDataLine(",2004/01/05 09:50,1,0,0,10,", c), LineVerdict::Row);
    EXPECT_EQ(c.fileName, "");
    EXPECT_EQ(readDataLine("", c), LineVerdict::Empty);
}

TEST(readDataLine, DateColumnsOfEveryLengthAndHoursAlone) {
    const std::pair<const char*, Timestamp> cases[] = {
        {"a,0000002004/01/05 09:30:00,1,0,0,10,", at(2004, 1, 5, 9, 30)},
        {"a,5,1,0,0,10,", at(1899, 12, 30, 5, 0)},                // 05:00 on day 0
        {"a,2004/01/05 ,09:40,1,0,0,10,", at(2004, 1, 5, 9, 40)}, // date and time columns
    };
    for (const auto& [line, time] : cases) {
        TenMinuteRow row;
        ASSERT_EQ(readDataLine(line, row), LineVerdict::Row) << line;
        EXPECT_EQ(row.time, time) << line;
    }
}

TEST(readDataLine, CountsReadLikeThirtyTwoBitNumbers) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"  12", 12},
        {"+5", 5},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"$7FFFFFFF", 2147483647},
        {"x1f", 31},
        {"X1F", 31},
        {"0x1F", 31},
        {"0X0000001f", 31},
        {"$0", 0},
    };
    for (const auto& [text, value] : cases) {
        const std::string line = std::string("a,2004/01/05 09:30:00,") + text + ",0,0,10,";
        TenMinuteRow row;
        ASSERT_EQ(readDataLine(line, row), LineVerdict::Row) << text;
        EXPECT_EQ(row.echo, value) << text;
    }
}

TEST(readDataLine, UnreadableLines) {
    for (const char* line : {
             "a.dat,2004/01/05 09:30:00,12,3,1,10", // no comma after ObsTime
             "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo)", "   ", "no comma at all",
             "a.dat,2004/02/30 09:30:00,1,0,0,10,",
             "a.dat,2004/01/05 09:30:00,12 ,3,1,10,", // blank after the digits
             "a.dat,2004/01/05 09:30:00,,3,1,10,", "a.dat,2004/01/05 09:30:00,1.5,3,1,10,",
             "a.dat,2004/01/05 09:30:00,2147483648,0,0,10,",
             "a.dat,2004/01/05 09:30:00,$100000000,0,0,10,", // nine hex digits
             "a.dat,2004/01/05 09:30:00,$,0,0,10,", "a.dat,2004/01/05 09:30:00,0x,0,0,10,",
             "a.dat,2004/01/05 09:30:00,1,0,0,0x1G,",
             // Negative counts have no square root for the rates.
             "a.dat,2004/01/05 09:30:00,-1,0,0,10,", "a.dat,2004/01/05 09:30:00,0,-1,0,10,",
             "a.dat,2004/01/05 09:30:00,0,0,-1,10,", "a.dat,2004/01/05 09:30:00,1,0,0,-10,",
             "a.dat,2004/01/05 09:30:00,$FFFFFFFF,0,0,10,",
             "a.dat,2004/01/05 09:30:00,0,0,0,x80000000,",
             "a.dat,2004/01/05 09:30:00,-2147483648,0,0,10,",
             "a,2004/01/05 ,2,0,0,10,", // blanks after a date promise a time
         }) {
        TenMinuteRow row;
        EXPECT_EQ(readDataLine(line, row), LineVerdict::Unreadable) << line;
    }
}

TEST(readDataText, RejectedLinesInFileOrderAndImplausibleOnesShown) {
    const std::string implausible = "a.dat,2004/01/05 09:40:00,0,1,0,0,\x83\x81\x83\x82";
    MessageCapture messages;
    const Settled s = settle(dataText({"a.dat,2004/01/05 09:30:00,0,0,5,0,", // other data alone
                                       "#header", implausible, "", "bad line"}),
                             messages.callback());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kImplausiblePrefix + implausible + " ]");
    EXPECT_EQ(s.reading.rejectedLines, (Lines{"#header", implausible, "bad line"}));
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_EQ(s.rows[0], "a.dat,2004/01/05 09:30,0,0,5,0,0.00,0.00,0.00,0.00,0.00,0.00,");
}

TEST(readDataText, UnexpectedFailureDropsTheLine) {
    std::vector<std::string> shown;
    const MessageCallback failingOnce = [&](const std::string& text) {
        shown.push_back(text);
        if (shown.size() == 1) {
            throw std::runtime_error("message box failed");
        }
    };
    const Settled s = settle(
        dataText({"a.dat,2004/01/05 09:30:00,0,1,0,0,", "a.dat,2004/01/05 09:30:00,1,0,0,10,"}),
        failingOnce);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], kUnexpectedError);
    EXPECT_TRUE(s.reading.rejectedLines.empty());
    EXPECT_EQ(s.rows.size(), 1u);
}

TEST(readDataText, EveryLineEndEndsALine) {
    const std::string a = "a.dat,2004/01/05 09:30:00,1,0,0,10,";
    const std::string b = "b.dat,2004/01/05 09:40:00,2,0,0,10,";
    const std::string c = "c.dat,2004/01/05 09:50:00,3,0,0,10,";
    for (const std::string& text : {a + "\r\n" + b + "\r\n" + c + "\r\n", a + "\n" + b + "\n" + c,
                                    a + "\r" + b + "\r" + c + "\r", a + "\r\n" + b + "\n" + c,
                                    "\r\n" + a + "\r\n\r\n" + b + "\n\n" + c + "\r\n\r\n"}) {
        const Settled s = settle(text);
        ASSERT_EQ(s.rows.size(), 3u);
        EXPECT_TRUE(s.rows[0].ends_with(",1.00,0.00,0.00,"));
        EXPECT_TRUE(s.rows[2].starts_with("c.dat,"));
        EXPECT_TRUE(s.reading.rejectedLines.empty());
    }
}

// The summary's line count, first and last line: blank and rejected lines
// count, an empty final line does not; a Ctrl-Z ends the data, not the lines,
// and the last line is the last one read.
TEST(readDataText, LinesCountedAndCtrlZEndsTheData) {
    const Settled s = settle("#head\r\n"
                             "a.dat,2004/01/05 09:30:00,1,0,0,10,\r\n"
                             "\r\n"
                             "b.dat,2004/01/05 09:40:00,2,0,0,10,x\x1Ay\r\n"
                             "c.dat,2004/01/05 09:50:00,3,0,0,10,\r\n"
                             "last words\r\n");
    EXPECT_EQ(s.reading.lineCount, 6u);
    EXPECT_EQ(s.reading.firstLine, "#head");
    EXPECT_EQ(s.reading.lastLine, "b.dat,2004/01/05 09:40:00,2,0,0,10,x");
    ASSERT_TRUE(s.reading.endMark);
    EXPECT_EQ(s.reading.endMark->line, 4u);
    EXPECT_EQ(s.reading.endMark->byte, 82u);
    // A mark at the start of its line leaves the line before as the last read.
    EXPECT_EQ(settle("a\r\n\x1A"
                     "b\r\nc")
                  .reading.lastLine,
              "a");
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_TRUE(s.rows[1].ends_with(",x"));
    EXPECT_EQ(s.reading.rejectedLines, Lines{"#head"});

    const Settled empty = settle("");
    EXPECT_EQ(empty.reading.lineCount, 0u);
    EXPECT_EQ(empty.reading.firstLine, "");
    EXPECT_EQ(settle("a\r\n\r\n").reading.lineCount, 2u);
    EXPECT_EQ(settle("a\r\n\r\n").reading.lastLine, "");
}
