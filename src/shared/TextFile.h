#pragma once
// File access shared by every reader and writer of the program. Output files are
// 8-bit text with CR LF line ends; every write and the final close are checked,
// so a full disk or a vanished folder is an IoError, never a silent short file.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Whether a file (not a directory) of this name exists.
bool FileExists(const std::string& name);

// Reads a whole file as bytes. Throws IoError naming the file and the cause.
std::string ReadWholeFile(const std::string& name);

// Calls f(line) for every line of text. A line ends at CR LF, at a lone CR or at
// a lone LF; text after the last line end forms a last line when not empty.
// With stopAtCtrlZ, a Ctrl-Z (code 26) ends the text: what stands before it on
// its line is still a line, nothing after it is.
template <typename F> void ForEachLine(std::string_view text, bool stopAtCtrlZ, F&& f);

// Number of lines as a text view counts them: a final empty line after the
// last line end does not count. An empty text has no lines.
size_t CountLines(std::string_view text);

// The first and the last line (by the rule of CountLines); empty when none.
std::string_view FirstLine(std::string_view text);
std::string_view LastLine(std::string_view text);

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
    void close();

private:
    void flushBuffer();
    [[noreturn]] void fail(const char* what, int err);
    void discard() noexcept;

    std::string name_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
};

// Writes every line followed by CR LF.
void WriteLinesToFile(const std::string& name, const std::vector<std::string>& lines);

template <typename F> void ForEachLine(std::string_view text, bool stopAtCtrlZ, F&& f) {
    const size_t n = text.size();
    size_t start = 0;
    size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            f(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else if (c == '\x1A' && stopAtCtrlZ) {
            break;
        } else {
            ++i;
        }
    }
    if (i > start) {
        f(text.substr(start, i - start));
    }
}
