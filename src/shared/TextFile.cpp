#include "shared/TextFile.h"

#include "shared/HugePages.h"
#include "shared/IoError.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <utility>

namespace {
constexpr size_t kProgressPieceBytes = size_t{1} << 20;
} // namespace

bool fileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

std::FILE* openForReading(const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError(FileOperation::Read, name, EISDIR);
    }
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        throwIoError(FileOperation::Open, name, errno);
    }
    return f;
}

std::string readWholeFile(const std::string& name,
                          const std::function<void(double share)>& onProgress) {
    std::FILE* f = openForReading(name);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    // One buffer of the file's size: growing it while reading would copy a
    // decade of data several times and touch twice its size in fresh memory.
    std::string data;
    std::error_code sizeEc;
    const std::uintmax_t expected = std::filesystem::file_size(name, sizeEc);
    if (!sizeEc && expected < data.max_size()) {
        const auto size = static_cast<size_t>(expected);
        data.reserve(size);
        adviseHugePages(data.data(), data.capacity());
        // Without a listener in one go; with one in pieces of a few
        // milliseconds each (the fresh memory is touched piece by piece
        // too), so that a window can paint in between.
        const size_t piece = onProgress ? kProgressPieceBytes : size;
        while (data.size() < size) {
            const size_t at = data.size();
            const size_t want = std::min(piece, size - at);
            data.resize(at + want); // within the reserved room: no copy
            const size_t got = std::fread(data.data() + at, 1, want, f);
            if (got < want) {
                if (std::ferror(f)) {
                    throwIoError(FileOperation::Read, name, errno);
                }
                data.resize(at + got); // the file shrank meanwhile
                return data;
            }
            if (onProgress) {
                onProgress(static_cast<double>(data.size()) / static_cast<double>(size));
            }
        }
    }
    // The rest, if the file grew meanwhile or its size was unknown.
    char chunk[1 << 16];
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof chunk, f);
        data.append(chunk, got);
        if (got < sizeof chunk) {
            if (std::ferror(f)) {
                throwIoError(FileOperation::Read, name, errno);
            }
            break;
        }
    }
    return data;
}

size_t countLines(std::string_view text) {
    size_t count = 0;
    forEachLine(text, false, [&](std::string_view) { ++count; });
    return count;
}

std::string_view firstLine(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            return text.substr(0, i);
        }
    }
    return text;
}

std::string_view lastLine(std::string_view text) {
    size_t end = text.size();
    // Drop the last line end: the line after it is the uncounted empty one.
    if (end > 0 && text[end - 1] == '\n') {
        --end;
        if (end > 0 && text[end - 1] == '\r') {
            --end;
        }
    } else if (end > 0 && text[end - 1] == '\r') {
        --end;
    }
    size_t start = end;
    while (start > 0 && text[start - 1] != '\r' && text[start - 1] != '\n') {
        --start;
    }
    return text.substr(start, end - start);
}

TextFileWriter::TextFileWriter(const std::string& name) : name_(name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        throwIoError(FileOperation::Create, name, EISDIR);
    }
    file_ = std::fopen(name.c_str(), "wb");
    if (!file_) {
        throwIoError(FileOperation::Create, name, errno);
    }
    // The pieces are whole already: the stream passes each on in one call.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reserve(kBufferSize + 256);
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
    if (std::filesystem::symlink_status(name_, ec).type() == std::filesystem::file_type::regular) {
        std::filesystem::remove(name_, ec);
    }
}

void TextFileWriter::fail(FileOperation what, int err) {
    if (file_) {
        std::fclose(std::exchange(file_, nullptr));
    }
    discard();
    throwIoError(what, name_, err);
}

void TextFileWriter::writeOut(const char* data, size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        fail(FileOperation::Write, errno);
    }
}

void TextFileWriter::write(std::string_view bytes) {
    if (!file_) {
        throwIoError(FileOperation::Write, name_, EBADF); // after a failure or the close
    }
    // Between calls the buffer holds less than a piece.
    const size_t room = kBufferSize - buffer_.size();
    if (bytes.size() < room) {
        buffer_.append(bytes);
        return;
    }
    buffer_.append(bytes.substr(0, room));
    writeOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    bytes.remove_prefix(room);
    // Whole pieces of a long text go straight from it.
    const size_t whole = bytes.size() / kBufferSize * kBufferSize;
    writeOut(bytes.data(), whole);
    buffer_.assign(bytes.substr(whole));
}

void TextFileWriter::flushWholePieces() {
    const size_t whole = buffer_.size() / kBufferSize * kBufferSize;
    writeOut(buffer_.data(), whole);
    buffer_.erase(0, whole);
}

void TextFileWriter::close() {
    if (!file_) {
        return;
    }
    writeOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    const bool flushed = std::fflush(file_) == 0;
    const int flushErr = errno;
    if (!flushed) {
        fail(FileOperation::Write, flushErr);
    }
    // The close can still fail (a network folder reports the error here).
    if (std::fclose(std::exchange(file_, nullptr)) != 0) {
        fail(FileOperation::Write, errno);
    }
}

void writeLinesToFile(const std::string& name, const std::vector<std::string>& lines) {
    TextFileWriter out(name);
    for (const std::string& line : lines) {
        out.writeLine(line);
    }
    out.close();
}

void writeBytesToFile(const std::string& name, std::string_view bytes) {
    TextFileWriter out(name);
    out.write(bytes);
    out.close();
}
