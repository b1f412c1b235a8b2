#pragma once
// File access shared by every reader and writer of the program. Output files are
// 8-bit text with CR LF line ends; every write and the final close are checked,
// so a full disk or a vanished folder is an IoError, never a silent short file.

#include "shared/IoError.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whether a file (not a directory) of this name exists.
bool fileExists(const std::string& name);

// Opens a file to read its bytes. Throws IoError naming the file when it is a
// folder or cannot be opened.
std::FILE* openForReading(const std::string& name);

// Reads a whole file as bytes. Throws IoError naming the file and the cause.
// With onProgress, a large file is read in pieces and onProgress is called
// after each with the share read (0 to 1); it may throw to stop the read.
std::string readWholeFile(const std::string& name,
                          const std::function<void(double share)>& onProgress = {});

// Calls f(line) for every line of text. A line ends at CR LF, at a lone CR or at
// a lone LF; text after the last line end forms a last line when not empty.
// With stopAtCtrlZ, a Ctrl-Z (code 26) ends the text: what stands before it on
// its line is still a line, nothing after it is. Returns whether a Ctrl-Z
// ended the text.
template <typename F> bool forEachLine(std::string_view text, bool stopAtCtrlZ, F&& f);

// Number of lines as a text view counts them: a final empty line after the
// last line end does not count. An empty text has no lines.
size_t countLines(std::string_view text);

// The first and the last line (by the rule of countLines); empty when none.
std::string_view firstLine(std::string_view text);
std::string_view lastLine(std::string_view text);

// Creates or replaces a file and writes it through a buffer. Throws IoError on
// any failure to create, write or close. A file that fails, or whose writer is
// destroyed before close (the action has failed then), is removed: a partial
// report never stands under the report's name.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& name);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void write(std::string_view bytes);
    void writeLine(std::string_view line) {
        write(line);
        write("\r\n");
    }
    // Writes a line that build(std::string&) appends straight into the
    // buffer, then CR LF: the big tables are not copied line by line.
    template <typename Build> void writeLineWith(Build&& build) {
        build(buffer_);
        buffer_.append("\r\n", 2);
        if (buffer_.size() >= kBufferSize) {
            flushWholePieces();
        }
    }
    void close();

    // The file is written in pieces of this size, each at an offset that is
    // a multiple of it, and a last shorter one. The file system then fills
    // its cache in large blocks: written in pieces of 64 KiB plus a line,
    // the kernel spent nearly twice as long on the same 4 MB.
    static constexpr size_t kBufferSize = size_t{1} << 18;

private:
    void flushWholePieces();
    void writeOut(const char* data, size_t size);
    [[noreturn]] void fail(FileOperation what, int err);
    void discard() noexcept;

    std::string name_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
};

// Writes every line followed by CR LF.
void writeLinesToFile(const std::string& name, const std::vector<std::string>& lines);
// Writes the bytes as they are, replacing the file.
void writeBytesToFile(const std::string& name, std::string_view bytes);

namespace textfile_detail {
// Position of the first byte below 27 (CR, LF and Ctrl-Z are among them) at
// or after i, or text.size(). Looks at eight bytes at a time: a lone data
// line is a few dozen ordinary bytes.
inline size_t nextControlByte(std::string_view text, size_t i) {
    const size_t n = text.size();
    const char* d = text.data();
    constexpr std::uint64_t kLow = 0x1B1B1B1B1B1B1B1BULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, d + i, 8);
        if (((w - kLow) & ~w & kHigh) != 0) {
            break; // some byte of these eight is below 27
        }
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(d[i]) >= 27) {
        ++i;
    }
    return i;
}
} // namespace textfile_detail

template <typename F> bool forEachLine(std::string_view text, bool stopAtCtrlZ, F&& f) {
    const size_t n = text.size();
    size_t start = 0;
    size_t i = 0;
    bool endMark = false;
    for (;;) {
        i = textfile_detail::nextControlByte(text, i);
        if (i >= n) {
            break;
        }
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            f(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else if (c == '\x1A' && stopAtCtrlZ) {
            endMark = true;
            break;
        } else {
            ++i; // another control byte (a tab, say) is part of the line
        }
    }
    if (i > start) {
        f(text.substr(start, i - start));
    }
    return endMark;
}
