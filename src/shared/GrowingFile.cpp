#include "shared/GrowingFile.h"

#include "shared/IoError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Reads up to length bytes at offset; fewer only at the end of the file.
std::size_t readAt(int fd, char* into, std::size_t length, std::uint64_t offset,
                   const std::string& name) {
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, into + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throwIoError(FileOperation::Read, name, errno);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool sameBytesAt(int fd, const std::string& expected, std::uint64_t offset,
                 const std::string& name) {
    std::string found(expected.size(), '\0');
    return readAt(fd, found.data(), found.size(), offset, name) == found.size() &&
           found == expected;
}

} // namespace

std::size_t completeLinesLength(std::string_view text) {
    const std::size_t last = text.find_last_of("\r\n");
    if (last == std::string_view::npos) {
        return 0;
    }
    if (text[last] == '\n' || last + 1 < text.size()) {
        return last + 1;
    }
    // A CR as the last byte: the line before it ends the complete part. The
    // byte after any earlier line end is no LF, so that end is whole.
    const std::size_t before =
        last == 0 ? std::string_view::npos : text.find_last_of("\r\n", last - 1);
    return before == std::string_view::npos ? 0 : before + 1;
}

GrowingFile::~GrowingFile() {
    closeFile();
}

void GrowingFile::closeFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void GrowingFile::forget() {
    closeFile();
    identity_.reset();
    startOver();
}

void GrowingFile::startOver() {
    consumed_ = readTo_ = size_ = 0;
    buffer_.clear();
    handedOut_ = 0;
    head_.clear();
    tail_.clear();
}

FilePoll GrowingFile::poll() {
    closeFile();
    buffer_.erase(0, std::exchange(handedOut_, 0));
    const int fd = ::open(name_.c_str(), O_RDONLY | O_CLOEXEC);
    FilePoll poll;
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            throwIoError(FileOperation::Open, name_, errno);
        }
        missing_ = true;
        poll.state = FileState::Missing;
        return poll;
    }
    fd_ = fd;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : (errno != 0 ? errno : EINVAL);
        closeFile();
        throwIoError(FileOperation::Read, name_, err);
    }
    poll.back = std::exchange(missing_, false);
    modified_ = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(st.st_mtim.tv_sec) +
            std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
    poll.state = stateOf(static_cast<std::uint64_t>(st.st_size), st.st_dev, st.st_ino, poll);
    if (poll.state == FileState::Unchanged) {
        closeFile();
    }
    return poll;
}

FileState GrowingFile::stateOf(std::uint64_t size, dev_t device, ino_t inode, FilePoll& poll) {
    const std::pair<dev_t, ino_t> identity{device, inode};
    std::optional<ReadAgainCause> cause;
    if (!identity_) {
        cause = ReadAgainCause::FirstRead;
    } else if (*identity_ != identity) {
        cause = ReadAgainCause::Replaced;
    } else if (size < consumed_) {
        cause = ReadAgainCause::Shrunk;
    } else if (!earlierBytesKept()) {
        cause = ReadAgainCause::Changed;
    }
    size_ = size;
    if (cause) {
        startOver();
        identity_ = identity;
        size_ = size;
        poll.cause = *cause;
        return FileState::ReadAgain;
    }
    if (size < readTo_) {
        // The unfinished last line was cut short: it is read again.
        buffer_.clear();
        readTo_ = consumed_;
    }
    return size > readTo_ ? FileState::Grown : FileState::Unchanged;
}

bool GrowingFile::earlierBytesKept() const {
    return sameBytesAt(fd_, head_, 0, name_) &&
           sameBytesAt(fd_, tail_, consumed_ - tail_.size(), name_);
}

std::optional<LinePiece> GrowingFile::next() {
    if (handedOut_ > 0) {
        buffer_.erase(0, handedOut_);
        handedOut_ = 0;
    }
    while (fd_ >= 0) {
        const std::size_t complete = completeLinesLength(buffer_);
        if (complete > 0) {
            const LinePiece piece{std::string_view(buffer_).substr(0, complete), consumed_};
            takeConsumed(complete);
            return piece;
        }
        if (readTo_ >= size_) {
            closeFile();
            break;
        }
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceSize, size_ - readTo_));
        const std::size_t at = buffer_.size();
        buffer_.resize(at + want);
        const std::size_t got = readAt(fd_, buffer_.data() + at, want, readTo_, name_);
        buffer_.resize(at + got);
        readTo_ += got;
        if (got < want) {
            size_ = readTo_; // it shrank meanwhile: the next poll says so
        }
    }
    return std::nullopt;
}

void GrowingFile::takeConsumed(std::size_t length) {
    const std::string_view piece = std::string_view(buffer_).substr(0, length);
    if (head_.size() < kCheckedBytes) {
        head_.append(piece.substr(0, kCheckedBytes - head_.size()));
    }
    if (piece.size() >= kCheckedBytes) {
        tail_.assign(piece.substr(piece.size() - kCheckedBytes));
    } else {
        tail_.append(piece);
        if (tail_.size() > kCheckedBytes) {
            tail_.erase(0, tail_.size() - kCheckedBytes);
        }
    }
    consumed_ += length;
    handedOut_ = length;
}
