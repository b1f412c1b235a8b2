#include "shared/TextFile.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <utility>

bool fileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

std::string readWholeFile(const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError(FileOperation::Read, name, EISDIR);
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        throwIoError(FileOperation::Open, name, errno);
    }
    std::string data;
    const std::uintmax_t size = std::filesystem::file_size(name, ec);
    if (!ec && size < data.max_size()) {
        data.reserve(static_cast<std::size_t>(size));
    }
    char chunk[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        data.append(chunk, got);
        if (got < sizeof chunk) {
            if (std::ferror(file.get())) {
                throwIoError(FileOperation::Read, name, errno);
            }
            return data;
        }
    }
}

std::string replacementFileName(const std::string& name) {
    const std::filesystem::path path(name);
    std::string hidden = ".";
    hidden += path.filename().string();
    hidden += ".new";
    return (path.parent_path() / hidden).string();
}

namespace {

// Where a file replaced by rename lands: a link's target, so that a link the
// user made (into a web folder, say) keeps pointing at the new file.
std::string renameTarget(const std::string& name) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(name, ec)) {
        return name;
    }
    const std::filesystem::path target = std::filesystem::weakly_canonical(name, ec);
    return ec ? name : target.string();
}

} // namespace

TextFileWriter::TextFileWriter(const std::string& name, FileReplacement replacement)
    : name_(name), target_(replacement == FileReplacement::ByRename ? renameTarget(name) : name),
      writing_(replacement == FileReplacement::ByRename ? replacementFileName(target_) : name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError(FileOperation::Create, name, EISDIR);
    }
    file_ = std::fopen(writing_.c_str(), "wb");
    if (!file_) {
        throwIoError(FileOperation::Create, name, errno);
    }
}

TextFileWriter::~TextFileWriter() {
    if (file_) {
        std::fclose(file_);
        discard();
    }
}

void TextFileWriter::discard() noexcept {
    // What was written so far is a cut-off copy that would pass for the whole
    // report, and a later backup would push the good previous version out of
    // its .bak. Only a plain file goes: a link (to /dev/full, say) or a
    // device under the name is the user's and stays.
    std::error_code ec;
    if (std::filesystem::symlink_status(writing_, ec).type() ==
        std::filesystem::file_type::regular) {
        std::filesystem::remove(writing_, ec);
    }
}

void TextFileWriter::fail(FileOperation what, int err) {
    if (file_) {
        std::fclose(std::exchange(file_, nullptr));
    }
    discard();
    throwIoError(what, name_, err);
}

void TextFileWriter::write(std::string_view bytes) {
    if (!file_) {
        throwIoError(FileOperation::Write, name_, EBADF); // after a failure or the close
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail(FileOperation::Write, errno);
    }
}

void TextFileWriter::close() {
    if (!file_) {
        return;
    }
    if (std::fflush(file_) != 0) {
        fail(FileOperation::Write, errno);
    }
    // The close can still fail (a network folder reports the error here).
    if (std::fclose(std::exchange(file_, nullptr)) != 0) {
        fail(FileOperation::Write, errno);
    }
    if (writing_ != target_ && std::rename(writing_.c_str(), target_.c_str()) != 0) {
        fail(FileOperation::Create, errno);
    }
}

void writeLinesToFile(const std::string& name, const std::vector<std::string>& lines,
                      FileReplacement replacement) {
    TextFileWriter out(name, replacement);
    for (const std::string& line : lines) {
        out.writeLine(line);
    }
    out.close();
}

void writeBytesToFile(const std::string& name, std::string_view bytes,
                      FileReplacement replacement) {
    TextFileWriter out(name, replacement);
    out.write(bytes);
    out.close();
}
