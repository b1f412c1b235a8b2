#pragma once
// File access shared by every reader and writer of the program. Output files are
// 8-bit text with CR LF line ends; every write and the final close are checked,
// so a full disk or a vanished folder is an IoError, never a silent short file.

#include "shared/IoError.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Whether a file (not a directory) of this name exists.
bool fileExists(const std::string& name);

// Reads a whole file as bytes. Throws IoError naming the file and the cause.
std::string readWholeFile(const std::string& name);

// Creates or replaces a file and writes it through the stream's buffer.
// Throws IoError on any failure to create, write or close. A file that fails,
// or whose writer is destroyed before close (the action has failed then), is
// removed: a partial report never stands under the report's name.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& name);
    ~TextFileWriter();
    TextFileWriter(TextFileWriter&& other) noexcept
        : name_(std::move(other.name_)), file_(std::exchange(other.file_, nullptr)) {}
    TextFileWriter& operator=(TextFileWriter&&) = delete;

    void write(std::string_view bytes);
    void writeLine(std::string_view line) {
        write(line);
        write("\r\n");
    }
    void close();

private:
    [[noreturn]] void fail(FileOperation what, int err);
    void discard() noexcept;

    std::string name_;
    std::FILE* file_ = nullptr;
};

// Writes every line followed by CR LF.
void writeLinesToFile(const std::string& name, const std::vector<std::string>& lines);
// Writes the bytes as they are, replacing the file.
void writeBytesToFile(const std::string& name, std::string_view bytes);
