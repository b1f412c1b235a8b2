#pragma once
// Where each line of a byte text starts, so that a view can show any line of
// a text of any size without decoding the rest. Lines end in CR LF, CR or LF,
// as the data files do; a final empty line after the last line end is not a
// line. An index is a value, built on any thread: a run builds the indexes of
// its pages on its worker, and the window only takes them over.
//
// Offsets are 32-bit while the text is below 4 GB, 64-bit beyond: four bytes
// a line for a decade of data (half a million lines a page).

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
    // Bytes of the longest line, its line end left out.
    std::size_t widestLine() const { return widestLine_; }
    // The line's bytes without its line end; std::out_of_range past the last line.
    std::string_view line(std::string_view text, std::size_t line) const;

private:
    std::size_t start(std::size_t line) const {
        return starts32_.empty() ? static_cast<std::size_t>(starts64_[line]) : starts32_[line];
    }

    // Each line's start, then the end of the text; one of the two is empty.
    std::vector<std::uint32_t> starts32_;
    std::vector<std::uint64_t> starts64_;
    std::size_t lineCount_ = 0;
    std::size_t widestLine_ = 0;
};

// A page's text and its index, handed on together.
struct IndexedText {
    std::shared_ptr<const std::string> bytes = std::make_shared<const std::string>();
    LineIndex index;

    static IndexedText of(std::shared_ptr<const std::string> bytes);
    static IndexedText of(std::string bytes);
    // The lines joined by LF.
    static IndexedText ofLines(const std::vector<std::string>& lines);
};
