#include "SwappedFile.h"

#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A lease that another process breaks is told by SIGIO, whose default ends
// the process: it is held back while a lease may be held and taken after.
class LeaseSignalHold {
public:
    LeaseSignalHold() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGIO);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    }
    ~LeaseSignalHold() {
        const timespec noWait{};
        while (sigtimedwait(&signals_, nullptr, &noWait) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    LeaseSignalHold(const LeaseSignalHold&) = delete;
    LeaseSignalHold& operator=(const LeaseSignalHold&) = delete;

private:
    sigset_t signals_{}, previous_{};
};

// Closes the file unless released.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool writeAt(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

std::string hiddenPathOf(const std::string& path) {
    const std::filesystem::path p(path);
    std::string name = ".";
    name += p.filename().string();
    name += ".prev";
    return (p.parent_path() / name).string();
}

} // namespace

SwappedFile::SwappedFile(std::string path) : path_(std::move(path)), hidden_(hiddenPathOf(path_)) {}

SwappedFile::~SwappedFile() {
    ::unlink(hidden_.c_str());
}

std::optional<SwappedFile::Version> SwappedFile::versionOf(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return Version{st.st_ino, st.st_size,
                   std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec, 0};
}

void SwappedFile::adopt() {
    struct stat st {};
    visible_.reset();
    previous_.reset();
    if (::lstat(path_.c_str(), &st) == 0) {
        visible_ = versionOf(st);
    }
}

void SwappedFile::write(std::string_view text, std::size_t unchanged) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path_, ec)) {
        // The link's target is replaced, so that the link stays.
        visible_.reset();
        previous_.reset();
        writeBytesToFile(path_, text, FileReplacement::ByRename);
        return;
    }
    unchanged = std::min(unchanged, text.size());
    const LeaseSignalHold hold;
    int fd = previous_ ? patchHidden(text, std::min(previous_->shared, unchanged)) : -1;
    if (fd < 0) {
        fd = writeHidden(text);
    }
    swapIn(fd, unchanged);
}

// The hidden file brought up to date when it is as it was left and no one
// else has it open; -1 otherwise. Returns it open, leased.
int SwappedFile::patchHidden(std::string_view text, std::size_t shared) {
    FileHandle file(::open(hidden_.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || versionOf(st) != previous_ ||
        ::fcntl(file.get(), F_SETLEASE, F_WRLCK) != 0) {
        return -1;
    }
    previous_.reset(); // from here on it holds neither version
    const auto at = static_cast<off_t>(shared);
    if (!writeAt(file.get(), text.substr(shared), at) ||
        ::ftruncate(file.get(), static_cast<off_t>(text.size())) != 0) {
        throwIoError(FileOperation::Write, path_, errno);
    }
    return file.release();
}

// The text whole in a new hidden file; a reader of the old one keeps it.
int SwappedFile::writeHidden(std::string_view text) {
    ::unlink(hidden_.c_str());
    previous_.reset();
    FileHandle file(
        ::open(hidden_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        throwIoError(FileOperation::Create, path_, errno);
    }
    if (!writeAt(file.get(), text, 0)) {
        const int err = errno;
        ::unlink(hidden_.c_str());
        throwIoError(FileOperation::Write, path_, err);
    }
    return file.release();
}

// Makes the hidden file (open as fd) the visible one; the one it replaces
// becomes the hidden one, sharing `unchanged` bytes with the new version.
void SwappedFile::swapIn(int fd, std::size_t unchanged) {
    const FileHandle file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throwIoError(FileOperation::Write, path_, errno);
    }
    const std::optional<Version> made = versionOf(st);
    // Only a file is swapped out. Without one, or where names cannot be
    // swapped, the new file is renamed over the name as usual (a folder
    // under the name fails there).
    struct stat target {};
    if (::lstat(path_.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        ::renameat2(AT_FDCWD, hidden_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) == 0) {
        struct stat old {};
        if (::lstat(hidden_.c_str(), &old) == 0 && visible_ && versionOf(old) == visible_) {
            previous_ = visible_;
            previous_->shared = unchanged;
        }
    } else if (::rename(hidden_.c_str(), path_.c_str()) != 0) {
        throwIoError(FileOperation::Create, path_, errno);
    }
    visible_ = made;
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
}
