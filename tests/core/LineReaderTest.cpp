// The line reader over files whose line ends fall on the edges of its 1 MB
// pieces. The piece size is fixed, so the edges are placed by the files.

#include "shared/LineReader.h"
#include "shared/IoError.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::size_t kPiece = LineReader::kPieceSize;

using Lines = std::vector<std::string>;

// The lines of a text by the plain rule: CR LF, lone CR and lone LF end a
// line; an empty last line is none.
Lines referenceLines(const std::string& text) {
    Lines lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

Lines readLines(LineReader& reader) {
    Lines lines;
    while (const auto line = reader.next()) {
        lines.emplace_back(*line);
    }
    return lines;
}

// Filler lines of 99 bytes and CR LF up to `size` bytes, so that what the
// caller appends starts exactly there.
std::string fillTo(std::size_t size) {
    std::string text;
    while (text.size() + 101 < size) {
        text.append(99, 'a' + static_cast<char>(text.size() % 26)).append("\r\n");
    }
    text.append(size - text.size() - 1, 'z').append("\n");
    return text;
}

struct LineReaderFixture : ::testing::Test {
    TempDir dir;
    std::string name = dir.file("lines.csv");

    // The file's lines, read plainly and keeping the bytes, must be the plain
    // rule's; the last line stays readable after the end.
    void expectLinesOf(const std::string& text) {
        writeFile(name, text);
        const Lines expected = referenceLines(text);
        for (bool keep : {false, true}) {
            SCOPED_TRACE(keep ? "keeping the bytes" : "plain");
            LineReader reader(name, keep);
            EXPECT_EQ(reader.expectedSize(), text.size());
            const Lines lines = readLines(reader);
            EXPECT_EQ(lines, expected);
            EXPECT_EQ(reader.lastLine(), expected.empty() ? "" : expected.back());
            EXPECT_EQ(reader.bytesDone(), text.size());
            if (keep) {
                EXPECT_EQ(reader.takeBytes(), text);
            }
        }
    }
};

} // namespace

using LineReaderEdges = LineReaderFixture;

TEST_F(LineReaderEdges, CrLfSplitAcrossThePieceEdge) {
    expectLinesOf(fillTo(kPiece - 5) + "edge\r\nnext\r\n");
}

TEST_F(LineReaderEdges, CrAtThePieceEdgeFollowedByText) {
    expectLinesOf(fillTo(kPiece - 5) + "edge\rnext line\n\r");
}

TEST_F(LineReaderEdges, CrAsTheLastByteOfAFileOfOnePiece) {
    expectLinesOf(fillTo(kPiece - 5) + "edge\r");
    expectLinesOf(fillTo(kPiece - 4) + "edg\r\r");
}

TEST_F(LineReaderEdges, LfAtThePieceEdgeAndACrLfJustAfterIt) {
    expectLinesOf(fillTo(kPiece - 1) + "\n" + "x\r\n");
    expectLinesOf(fillTo(kPiece) + "\r\nafter");
}

TEST_F(LineReaderEdges, LineLongerThanAPiece) {
    std::string text = "first\r\n";
    text.append(2 * kPiece + 17, 'L');
    text += "\rshort\r\n";
    text.append(kPiece - 3, 'M'); // the last line, without a line end
    expectLinesOf(text);
}

TEST_F(LineReaderEdges, EmptyFilesAndEmptyLines) {
    expectLinesOf("");
    expectLinesOf("\r\n\r\n\n\r");
    expectLinesOf(fillTo(kPiece) + "\r\n");
}

// The views of the lines stay valid while the reader lives when the bytes are
// kept; lastLine() survives the buffer losing its front without them.
TEST_F(LineReaderEdges, ViewsAndTheLastLineAfterTheBufferMoved) {
    const std::string text = "head line\r\n" + fillTo(3 * kPiece) + "the last one\r\n";
    writeFile(name, text);
    LineReader kept(name, true);
    const std::string_view first = *kept.next();
    readLines(kept);
    EXPECT_EQ(first, "head line");
    EXPECT_EQ(kept.lastLine(), "the last one");

    LineReader plain(name);
    readLines(plain);
    EXPECT_EQ(plain.lastLine(), "the last one");
    EXPECT_FALSE(plain.next());
    EXPECT_EQ(plain.lastLine(), "the last one");
}

TEST(LineReader, MissingFileAndFolderFailNamingThem) {
    TempDir dir;
    for (const std::string& name : {dir.file("none.csv"), dir.path().string()}) {
        try {
            LineReader reader(name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const IoError& error) {
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        }
    }
}

TEST(forEachLine, AllThreeLineEndsAndControlBytesStayInTheLine) {
    Lines lines;
    const auto collect = [&](std::string_view l) { lines.emplace_back(l); };
    forEachLine("a\r\nb\rc\nd", collect);
    EXPECT_EQ(lines, (Lines{"a", "b", "c", "d"}));
    lines.clear();
    forEachLine("a\r\n\r\nb\r\n", collect);
    EXPECT_EQ(lines, (Lines{"a", "", "b"}));
    lines.clear();
    forEachLine(std::string_view("bc\x1A"
                                 "d\0e\r\nf",
                                 9),
                collect);
    EXPECT_EQ(lines, (Lines{std::string("bc\x1A"
                                        "d\0e",
                                        6),
                            "f"}));
}
