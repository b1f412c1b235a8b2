#pragma once
// File access shared by every reader and writer of the program. Output files are
// 8-bit text with CR LF line ends; every write and the final close are checked,
// so a full disk or a vanished folder is an IoError, never a silent short file.

#include "shared/IoError.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Whether a file (not a directory) of this name exists.
bool fileExists(const std::string& name);

// Reads a whole file as bytes. Throws IoError naming the file and the cause.
std::string readWholeFile(const std::string& name);

// How a file that exists is replaced. In place, a reader may find it half
// written; by rename, the bytes go into a new file beside it (".NAME.new")
// that takes the name once closed, so a reader sees the old file or the new
// one, whole (a watch rewrites its outputs while others read them).
enum class FileReplacement : std::uint8_t { InPlace, ByRename };

// Creates or replaces a file and writes it through the stream's buffer.
// Throws IoError on any failure to create, write or close. A file that fails,
// or whose writer is destroyed before close (the action has failed then), is
// removed: a partial report never stands under the report's name.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& name,
                            FileReplacement replacement = FileReplacement::InPlace);
    ~TextFileWriter();
    TextFileWriter(TextFileWriter&& other) noexcept
        : name_(std::move(other.name_)), target_(std::move(other.target_)),
          writing_(std::move(other.writing_)), file_(std::exchange(other.file_, nullptr)) {}
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
    std::string target_;  // the file replaced: name_, or the target of the link name_ is
    std::string writing_; // the file written: target_, or the new file renamed over it
    std::FILE* file_ = nullptr;
};

// The name of the new file that replaces `name` by rename.
std::string replacementFileName(const std::string& name);

// Writes every line followed by CR LF.
void writeLinesToFile(const std::string& name, const std::vector<std::string>& lines,
                      FileReplacement replacement = FileReplacement::InPlace);
// Writes the bytes as they are, replacing the file.
void writeBytesToFile(const std::string& name, std::string_view bytes,
                      FileReplacement replacement = FileReplacement::InPlace);
