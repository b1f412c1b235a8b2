#include "data/TenMinuteTable.h"
#include "shared/IoError.h"

#include "TenMinuteTestSupport.h"
#include "TestSupport.h"

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

DateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return *tryEncodeDateTime(year, month, day, hour, minute, second);
}

struct Loaded {
    Loaded() { list.init(); }
    TenMinuteTable list;
    MessageCapture messages;
};

} // namespace

TEST(addLine, ReadsEveryColumn) {
    Loaded l;
    l.list.addLine("a.dat,2004/01/05 09:30:00,12,3,1,10,", l.messages.callback());
    l.list.addLine("b.dat,2004/01/05,09:40:00,7,0,2,10,x,y", l.messages.callback());
    l.list.addLine(",2004/01/05 09:50,1,0,0,10,", l.messages.callback());
    ASSERT_EQ(rowsOf(l.list).size(), 3u);
    const TenMinuteRow& a = *rowsOf(l.list)[0];
    EXPECT_EQ(a.fileName, "a.dat");
    EXPECT_EQ(a.time, at(2004, 1, 5, 9, 30));
    EXPECT_EQ(a.echo, 12);
    EXPECT_EQ(a.longEcho, 3);
    EXPECT_EQ(a.otherData, 1);
    EXPECT_EQ(a.observedMinutes, 10);
    EXPECT_EQ(a.remark, "");
    // Date and time in two columns; the remark keeps its commas.
    const TenMinuteRow& b = *rowsOf(l.list)[1];
    EXPECT_EQ(b.time, at(2004, 1, 5, 9, 40));
    EXPECT_EQ(b.echo, 7);
    EXPECT_EQ(b.otherData, 2);
    EXPECT_EQ(b.remark, "x,y");
    EXPECT_EQ(rowsOf(l.list)[2]->fileName, "");
    EXPECT_TRUE(rejectedOf(l.list).empty());
    EXPECT_TRUE(l.messages.texts.empty());
}

TEST(addLine, DateColumnsOfEveryLengthAndHoursAlone) {
    Loaded l;
    l.list.addLine("a,0000002004/01/05 09:30:00,1,0,0,10,");
    l.list.addLine("a,5,1,0,0,10,");                 // 05:00 on day 0
    l.list.addLine("a,2004/01/05 ,09:40,1,0,0,10,"); // date and time columns
    ASSERT_EQ(rowsOf(l.list).size(), 3u);
    EXPECT_EQ(rowsOf(l.list)[0]->time, at(2004, 1, 5, 9, 30));
    EXPECT_DOUBLE_EQ(rowsOf(l.list)[1]->time, 5.0 / 24);
    EXPECT_EQ(rowsOf(l.list)[2]->time, at(2004, 1, 5, 9, 40));
}

TEST(addLine, CountsReadLikeThirtyTwoBitNumbers) {
    Loaded l;
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
        l.list.clear();
        l.list.addLine(std::string("a,2004/01/05 09:30:00,") + text + ",0,0,10,",
                       l.messages.callback());
        ASSERT_EQ(rowsOf(l.list).size(), 1u) << text;
        EXPECT_EQ(rowsOf(l.list)[0]->echo, value) << text;
    }
}

TEST(addLine, UnreadableLinesAreRejectedSilently) {
    Loaded l;
    const std::vector<std::string> bad = {
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
        "a.dat,2004/01/05 09:30:00,$FFFFFFFF,0,0,10,", "a.dat,2004/01/05 09:30:00,0,0,0,x80000000,",
        "a.dat,2004/01/05 09:30:00,-2147483648,0,0,10,",
        "a,2004/01/05 ,2,0,0,10,", // blanks after a date promise a time
    };
    for (const std::string& line : bad) {
        l.list.addLine(line, l.messages.callback());
    }
    l.list.addLine("", l.messages.callback()); // leaves no trace at all
    EXPECT_TRUE(rowsOf(l.list).empty());
    EXPECT_EQ(rejectedOf(l.list), bad);
    EXPECT_TRUE(l.messages.texts.empty());
    // The parse buffer's leftovers never turn into a row.
    l.list.addLine("a.dat,2004/01/05 09:30:00,1,0,0,10,", l.messages.callback());
    ASSERT_EQ(rowsOf(l.list).size(), 1u);
    EXPECT_EQ(rowsOf(l.list)[0]->echo, 1);
}

TEST(addLine, ImplausibleLineShowsTheLineAsRead) {
    Loaded l;
    l.list.addLine("a.dat,2004/01/05 09:30:00,0,0,5,0,",
                   l.messages.callback()); // other data alone passes
    const std::string line = "a.dat,2004/01/05 09:40:00,0,1,0,0,\x83\x81\x83\x82";
    l.list.addLine(line, l.messages.callback());
    ASSERT_EQ(l.messages.texts.size(), 1u);
    EXPECT_EQ(l.messages.texts[0], kImplausiblePrefix + line + " ]");
    ASSERT_EQ(rowsOf(l.list).size(), 1u);
    EXPECT_EQ(rowsOf(l.list)[0]->otherData, 5);
    EXPECT_EQ(rejectedOf(l.list), std::vector<std::string>{line});
}

TEST(addLine, UnexpectedFailureDropsTheLine) {
    TenMinuteTable list;
    list.init();
    std::vector<std::string> shown;
    const MessageCallback failingOnce = [&](const std::string& text) {
        shown.push_back(text);
        if (shown.size() == 1) {
            throw std::runtime_error("message box failed");
        }
    };
    list.addLine("a.dat,2004/01/05 09:30:00,0,1,0,0,", failingOnce);
    list.addLine("a.dat,2004/01/05 09:30:00,1,0,0,10,", failingOnce);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], kUnexpectedError);
    EXPECT_TRUE(rejectedOf(list).empty());
    EXPECT_EQ(rowsOf(list).size(), 1u);
}

TEST(loadText, EveryLineEndEndsALine) {
    const std::string a = "a.dat,2004/01/05 09:30:00,1,0,0,10,";
    const std::string b = "b.dat,2004/01/05 09:40:00,2,0,0,10,";
    const std::string c = "c.dat,2004/01/05 09:50:00,3,0,0,10,";
    for (const std::string& text : {a + "\r\n" + b + "\r\n" + c + "\r\n", a + "\n" + b + "\n" + c,
                                    a + "\r" + b + "\r" + c + "\r", a + "\r\n" + b + "\n" + c,
                                    "\r\n" + a + "\r\n\r\n" + b + "\n\n" + c + "\r\n\r\n"}) {
        Loaded l;
        l.list.loadText(text, l.messages.callback());
        ASSERT_EQ(rowsOf(l.list).size(), 3u);
        EXPECT_EQ(rowsOf(l.list)[0]->remark, "");
        EXPECT_EQ(rowsOf(l.list)[2]->fileName, "c.dat");
        EXPECT_TRUE(rejectedOf(l.list).empty());
    }
}

TEST(loadText, CtrlZEndsTheFile) {
    Loaded l;
    l.list.loadText("a.dat,2004/01/05 09:30:00,1,0,0,10,\r\n"
                    "b.dat,2004/01/05 09:40:00,2,0,0,10,x\x1Ay\r\n"
                    "c.dat,2004/01/05 09:50:00,3,0,0,10,\r\n",
                    l.messages.callback());
    ASSERT_EQ(rowsOf(l.list).size(), 2u);
    EXPECT_EQ(rowsOf(l.list)[1]->remark, "x");
}

TEST(loadFile, MissingFileKeepsTheListsAndASecondFileReplacesThem) {
    TempDir dir;
    writeFile(dir.file("one.csv"), "#header\r\na.dat,2004/01/05 09:30:00,1,0,0,10,\r\n");
    writeFile(dir.file("two.csv"), "b.dat,2004/01/06 09:30:00,2,0,0,10,\r\n"
                                   "c.dat,2004/01/06 09:40:00,3,0,0,10,\r\n");
    Loaded l;
    l.list.loadFile(dir.file("one.csv"), l.messages.callback());
    l.list.loadFile(dir.file("missing.csv"), l.messages.callback());
    l.list.loadFile(dir.path().string(), l.messages.callback()); // a folder is no data file
    ASSERT_EQ(rowsOf(l.list).size(), 1u);
    EXPECT_EQ(rejectedOf(l.list), std::vector<std::string>{"#header"});
    l.list.loadFile(dir.file("two.csv"), l.messages.callback());
    ASSERT_EQ(rowsOf(l.list).size(), 2u);
    EXPECT_EQ(rowsOf(l.list)[0]->fileName, "b.dat");
    EXPECT_TRUE(rejectedOf(l.list).empty());
}

TEST(TenMinuteTable, MillionNodesReleaseWithoutRecursion) {
    TenMinuteTable list;
    list.init();
    std::string text;
    for (int i = 0; i < 1'000'000; ++i) {
        text += "x\n";
    }
    list.loadText(std::move(text)); // a million rejected lines
    for (int i = 0; i < 1'000'000; ++i) {
        auto node = std::make_unique<TenMinuteRow>();
        node->next = std::move(list.top);
        list.top = std::move(node);
    }
    list.clear();
    EXPECT_FALSE(list.top->next);
    EXPECT_EQ(list.top.get(), list.endNode);
    EXPECT_FALSE(list.rejectedTop->next);
}

TEST(writeFile, WritesEveryRowWithCrLf) {
    TempDir dir;
    Loaded l;
    l.list.loadText("a.dat,2004/01/05 09:30:45,1,0,0,16,x,y\r\n"
                    "b.dat,2004/01/05 09:40:45,0,0,3,0,\r\n",
                    l.messages.callback());
    l.list.normalize();
    writeFile(dir.file("report10.csv"), "previous content that is longer");
    l.list.writeFile(dir.file("report10.csv"), false);
    EXPECT_EQ(readFile(dir.file("report10.csv")),
              "a.dat,2004/01/05 09:30,1,0,0,16,0.63,0.00,0.00,0.63,0.00,0.00,x,y\r\n"
              "b.dat,2004/01/05 09:40,0,0,3,0,0.00,0.00,0.00,0.00,0.00,0.00,\r\n");

    l.list.clear();
    l.list.writeFile(dir.file("report10.csv"), true);
    EXPECT_EQ(readFile(dir.file("report10.csv")), std::string(kTenMinuteHeaderLine) + "\r\n");
    l.list.writeFile(dir.file("report10.csv"), false);
    EXPECT_EQ(readFile(dir.file("report10.csv")), "");
    EXPECT_THROW(l.list.writeFile(dir.file("no/such/folder.csv"), true), IoError);
}
