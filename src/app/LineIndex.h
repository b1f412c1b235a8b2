#pragma once
// Where each line of a byte text starts, so that a view can show any line of
// a text of any size without decoding the rest. Lines end in CR LF, CR or LF,
// as the data files do; a final empty line after the last line end is not a
// line. An index is a value, built on any thread: a run builds the indexes of
// its pages on its worker, and the window only takes them over.
//
// Offsets are 32-bit while the text is below 4 GB, 64-bit beyond: four bytes
// a line for a decade of data (half a million lines a page).
//
// A text that grows (live mode) is changed in place and its index brought up
// to date from the first line the change can touch (splice), so an appended
// line costs its own bytes, not the page's.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LineIndex {
public:
    LineIndex() = default;
    static LineIndex of(std::string_view text);

    std::size_t lineCount() const { return lineCount_; }
    // Where the line starts; lineStart(lineCount()) is the end of the text.
    std::size_t lineStart(std::size_t line) const { return start(line); }
    // Bytes of the longest line, its line end left out.
    std::size_t widestLine() const { return widestLine_; }
    // The line's bytes without its line end; std::out_of_range past the last line.
    std::string_view line(std::string_view text, std::size_t line) const;

    // The text changed from byte `from` on (the bytes before it are as
    // indexed): the lines from the one that holds the byte before `from` are
    // indexed again. The widest line may stay that of a line since removed.
    void splice(std::string_view text, std::size_t from);

private:
    void push(std::size_t offset);
    void index(std::string_view text, std::size_t from);

    std::size_t start(std::size_t line) const {
        return starts32_.empty() ? static_cast<std::size_t>(starts64_[line]) : starts32_[line];
    }

    // Each line's start, then the end of the text; one of the two is empty.
    std::vector<std::uint32_t> starts32_;
    std::vector<std::uint64_t> starts64_;
    std::size_t lineCount_ = 0;
    std::size_t widestLine_ = 0;
};

// One change of a page's text, made on a worker: the bytes [from, from +
// removed) give way to inserted. On a page of lines (the text report, the
// RMOB tables) from and removed count lines, and inserted holds the new
// lines each ended by LF, as IndexedText::ofLines joins them.
struct TextEdit {
    std::size_t from = 0;
    std::size_t removed = 0;
    std::string inserted;
};

// A page's text and its index, handed on together. Texts made here are
// strings of their own (editable): the one holder of such a text may change
// it in place. Bytes handed in from elsewhere may be truly const.
struct IndexedText {
    std::shared_ptr<const std::string> bytes = std::make_shared<std::string>();
    LineIndex index;
    bool editable = true;

    static IndexedText of(std::shared_ptr<const std::string> bytes);
    static IndexedText of(std::string bytes);
    // The lines joined by LF.
    static IndexedText ofLines(const std::vector<std::string>& lines);
};
