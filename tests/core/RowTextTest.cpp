#include "shared/RowText.h"
#include "shared/TextFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

TEST(RowText, BorrowedBytesStayTheOwnersCopiesDoNot) {
    std::string owner = "a.dat";
    RowText borrowed = RowText::borrow(owner);
    EXPECT_TRUE(borrowed.borrowed());
    EXPECT_EQ(borrowed.data(), owner.data());

    RowText copy = borrowed; // a copy owns its bytes
    RowText assigned;
    assigned = borrowed;
    RowText moved = std::move(borrowed); // a move passes the loan on
    owner[0] = 'b';
    EXPECT_EQ(copy, "a.dat");
    EXPECT_EQ(assigned, "a.dat");
    EXPECT_FALSE(copy.borrowed());
    EXPECT_EQ(moved, "b.dat");
    EXPECT_TRUE(moved.borrowed());
    EXPECT_TRUE(borrowed.empty());
}

TEST(RowText, GrowsFromItsOwnBytesAndStaysLinear) {
    std::string owner = "ab";
    RowText t = RowText::borrow(owner);
    t.push_back('&');
    t += t.view(); // appends a copy of itself, also when the buffer moves
    EXPECT_EQ(t, "ab&ab&");
    t += t.view().substr(0, 2);
    EXPECT_EQ(t, "ab&ab&ab");
    t = t.view().substr(3); // assignment from its own bytes
    EXPECT_EQ(t, "ab&ab");
    EXPECT_EQ(owner, "ab");

    // Ten thousand merges into one row: doubling keeps this fast.
    RowText names;
    for (int i = 0; i < 10000; ++i) {
        names += "x.dat&";
    }
    EXPECT_EQ(names.size(), 60000u);
    EXPECT_EQ(names.view().substr(59994), "x.dat&");
}

// The line scanner looks at eight bytes at a time; it must find every line
// end a byte-by-byte reading finds, wherever it falls in a word, among tabs,
// Shift-JIS bytes and Ctrl-Z.
TEST(forEachLine, WordScanAgreesWithAByteByByteReading) {
    auto reference = [](std::string_view text, bool stopAtCtrlZ) {
        std::vector<std::string> lines;
        std::string line;
        bool open = false;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\x1A' && stopAtCtrlZ) {
                break;
            }
            if (c == '\r' || c == '\n') {
                lines.push_back(line);
                line.clear();
                open = false;
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                    ++i;
                }
            } else {
                line += c;
                open = true;
            }
        }
        if (open) {
            lines.push_back(line);
        }
        return lines;
    };
    const char alphabet[] = {'a', ',', '0', ' ', '\t', '\r', '\n', '\x1A', '\x82', '\xA0', '\x1B'};
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 70);
        for (int i = 0; i < length; ++i) {
            // Mostly ordinary bytes, so that whole clean words occur.
            text += rng() % 3 == 0 ? alphabet[rng() % sizeof alphabet] : 'v';
        }
        for (bool stop : {false, true}) {
            std::vector<std::string> lines;
            forEachLine(text, stop, [&](std::string_view l) { lines.emplace_back(l); });
            ASSERT_EQ(lines, reference(text, stop)) << round;
        }
    }
}
