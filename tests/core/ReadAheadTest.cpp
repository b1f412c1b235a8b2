#include "shared/ReadAhead.h"
#include "data/TenMinuteTable.h"
#include "shared/IoError.h"

#include "TenMinuteTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// What a one-pass load gives: the rows handed on, the lines set aside, the
// line count, whether a Ctrl-Z ended the text, and the bytes kept.
struct Loaded {
    std::vector<std::string> handedOn;
    std::vector<std::string> rejected;
    std::size_t linesRead = 0;
    bool endMark = false;
    std::string bytes;
    bool operator==(const Loaded&) const = default;
};

template <typename Source> Loaded loadFrom(Source&& source) {
    TenMinuteTable table;
    table.init();
    Loaded loaded;
    const std::shared_ptr<const std::string> kept = table.loadNormalized(
        std::forward<Source>(source),
        [&](const TenMinuteRow& row) { loaded.handedOn.push_back(tenMinuteRowText(row)); },
        KeepRows::No);
    loaded.rejected = rejectedOf(table);
    loaded.linesRead = table.linesRead();
    loaded.endMark = table.endMarkMet();
    loaded.bytes = *kept;
    return loaded;
}

std::string manyLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int minutes = i * 10;
        char line[64];
        std::snprintf(line, sizeof line, "f,2004/01/%02d %02d:%02d:00,%d,0,0,10,\r\n",
                      1 + minutes / 1440, minutes / 60 % 24, minutes % 60, i % 7);
        text += line;
    }
    return text;
}

} // namespace

// Whatever the pieces the file arrives in, the lines are those of the whole
// text read at once: a CR LF split between two pieces stays one line end, a
// line is not read before its end has come, and a Ctrl-Z still ends the text.
TEST(ReadAhead, LinesAsFromTheWholeTextForAnyPieces) {
    const std::string good = "a,2004/01/05 09:30:00,1,0,0,10,x\r\n";
    const std::vector<std::string> texts = {
        "",
        "\r\n\r\n",
        good + "b,2004/01/05 09:40:00,2,0,0,10,\r\n" + good + "c,2004/01/05 10:10:00,3,0,0,10,",
        "a,2004/01/05 09:30:00,1,0,0,10,\rb,2004/01/05 09:40:00,2,0,0,10,\n\nnot a line\r\n\r",
        good + "b,2004/01/05 09:40:00,2,0,0,10,tail\x1A"
               "c,2004/01/05 09:50:00,3,0,0,10,\r\n",
        "\x1A" + good,
        manyLines(300),
    };
    TempDir dir;
    const std::string name = dir.file("velkdata.csv");
    for (const std::string& text : texts) {
        writeFile(name, text);
        const Loaded atOnce = loadFrom(std::string(text));
        EXPECT_EQ(atOnce.bytes, text);
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                  std::size_t{64}, ReadAhead::kDefaultPieceBytes}) {
            ReadAhead source(name, piece);
            EXPECT_EQ(loadFrom(source), atOnce) << "pieces of " << piece << " bytes";
        }
    }
}

TEST(ReadAhead, MissingFileAndFolderFailNamingThem) {
    TempDir dir;
    for (const std::string& name : {dir.file("none.csv"), dir.path().string()}) {
        try {
            ReadAhead source(name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const IoError& error) {
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        }
    }
}

// A load stopped from its progress call (a cancelled run) ends while the file
// may still be read: the reading stops and nothing is left behind (the
// sanitizer builds watch the buffer and the thread).
TEST(ReadAhead, StopWithinTheLoad) {
    TempDir dir;
    const std::string name = dir.file("velkdata.csv");
    writeFile(name, manyLines(20000));
    for (std::size_t piece : {std::size_t{64}, ReadAhead::kDefaultPieceBytes}) {
        ReadAhead source(name, piece);
        TenMinuteTable table;
        table.init();
        EXPECT_THROW(table.loadNormalized(
                         source, [](const TenMinuteRow&) {}, KeepRows::Yes, {},
                         [](double) { throw std::runtime_error("stop"); }),
                     std::runtime_error);
        table.clear();
    }
}

TEST(ReadAhead, BytesStayWhereTheViewsPointed) {
    TempDir dir;
    const std::string name = dir.file("velkdata.csv");
    const std::string text = manyLines(1000);
    writeFile(name, text);
    ReadAhead source(name, 100);
    EXPECT_EQ(source.expectedSize(), text.size());
    const ReadAhead::Bytes first = source.waitBeyond(0);
    ASSERT_FALSE(first.read.empty());
    const std::shared_ptr<std::string>& all = source.finish();
    EXPECT_EQ(*all, text);
    EXPECT_EQ(all->data(), first.read.data());
    // Asked again, the whole file at once.
    const ReadAhead::Bytes again = source.waitBeyond(text.size());
    EXPECT_TRUE(again.complete);
    EXPECT_EQ(again.read, text);
}
