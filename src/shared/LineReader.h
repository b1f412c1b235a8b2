#pragma once
// Reads the lines of a text in pieces: a file of any size costs the memory of
// its longest line and one piece, unless the caller asks to keep the bytes
// (the window shows the data file whole). A line ends at CR LF, at a lone CR
// or at a lone LF; text after the last line end forms a last line when not
// empty, so an empty final line is no line. Every other byte, Ctrl-Z
// included, is part of its line: what a control byte means is the caller's.
//
// A CR at the end of a piece waits for the next piece, so a CR LF split
// between two reads is one line end.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A text in memory to read lines from (apart from a file name by its type).
struct TextInMemory {
    std::string_view text;
};

class LineReader {
public:
    // Lines of a file. IoError naming the file when it cannot be opened;
    // next() throws IoError when a read fails.
    explicit LineReader(const std::string& fileName, bool keepBytes = false);
    // Lines of a text in memory, which must outlive the reader.
    explicit LineReader(TextInMemory text);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its line end; nothing after the last. The view is
    // valid until the next call (as long as the reader lives when the bytes
    // are kept or the text is in memory).
    std::optional<std::string_view> next();

    // The last line handed out (empty before the first), also once next()
    // has returned nothing; valid until next() hands out another line.
    std::string_view lastLine() const { return last_; }

    // Bytes handed out as lines so far, line ends included.
    std::uint64_t bytesDone() const { return consumedBefore_ + pos_; }
    // Where the last line handed out starts in the file (in the text).
    std::uint64_t lastLineOffset() const { return lastOffset_; }
    // The size of the file when it was opened (of the text in memory).
    std::uint64_t expectedSize() const { return expectedSize_; }
    // Every byte read, once the last line has been handed out, with keepBytes.
    std::string takeBytes() { return std::move(buffer_); }

    // A piece read at a time; a line longer than it makes the buffer grow.
    static constexpr std::size_t kPieceSize = std::size_t{1} << 20;

private:
    // Reads the next piece behind what is buffered; false at the end of the file.
    bool readMore();

    std::string fileName_;
    std::FILE* file_ = nullptr;
    bool keepBytes_ = false;
    bool atEnd_ = false;
    std::string buffer_;
    std::string_view text_;            // what is buffered (buffer_ or the text in memory)
    std::size_t pos_ = 0;              // start of the next line in text_
    std::size_t scanned_ = 0;          // text_ up to here holds no line end after pos_
    std::uint64_t consumedBefore_ = 0; // bytes dropped from the front of buffer_
    std::uint64_t expectedSize_ = 0;
    std::string_view last_;
    std::uint64_t lastOffset_ = 0;
    std::string lastKept_; // the last line, when its bytes have left the buffer
};

// Calls f(line) for every line of a text in memory.
template <typename F> void forEachLine(std::string_view text, F&& f) {
    LineReader lines(TextInMemory{text});
    while (const std::optional<std::string_view> line = lines.next()) {
        f(*line);
    }
}
