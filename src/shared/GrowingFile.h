#pragma once
// Follows a file that a recorder appends to: each poll opens it again, says
// what became of it, and hands out only what was appended since, in pieces
// that end with a complete line. A line is complete once its line end is
// known: an LF, a CR LF, or a CR followed by another byte. A CR that is the
// last byte waits for the next one (it may be the first half of a CR LF),
// and so does a line without a line end (the recorder is writing it).
//
// A file that shrank, was replaced (another inode) or whose earlier bytes
// changed is read again from its start; the first and the last 4 KiB before
// the end of what was read are compared at every poll, which catches a file
// rewritten in place without reading it all. A file that is gone is missing
// until it comes back. Callers poll when told the file changed, and every few
// seconds where no one tells them (network shares).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

enum class FileState : std::uint8_t {
    Unchanged, // nothing appended, or only part of a line
    Grown,     // complete lines were appended: next() hands them out
    ReadAgain, // to be read from its start: next() hands out all its lines
    Missing,   // the file is gone (nothing to read)
};

enum class ReadAgainCause : std::uint8_t { FirstRead, Shrunk, Replaced, Changed };

struct FilePoll {
    FileState state = FileState::Unchanged;
    ReadAgainCause cause = ReadAgainCause::FirstRead; // when ReadAgain
    bool back = false;                                // it was missing at the poll before
};

// Complete lines of the file and where they start in it.
struct LinePiece {
    std::string_view text;
    std::uint64_t offset = 0;
};

class GrowingFile {
public:
    explicit GrowingFile(std::string name) : name_(std::move(name)) {}
    ~GrowingFile();
    GrowingFile(const GrowingFile&) = delete;
    GrowingFile& operator=(const GrowingFile&) = delete;

    // IoError naming the file when it exists but cannot be read.
    FilePoll poll();
    // The next piece of the last poll's lines, valid until the next call;
    // nothing once they are all handed out. IoError when a read fails.
    std::optional<LinePiece> next();
    // Forgets what was read: the next poll reads the file from its start.
    void forget();

    // The bytes up to the end of the last complete line handed out.
    std::uint64_t completeBytes() const { return consumed_; }
    // The file's size at the last poll: what it reads up to.
    std::uint64_t size() const { return size_; }
    // The file's last modification as the last poll that found it saw it.
    std::chrono::system_clock::time_point modified() const { return modified_; }
    const std::string& name() const { return name_; }

    // Bytes read at a time, and the bytes compared at each end.
    static constexpr std::size_t kPieceSize = std::size_t{1} << 20;
    static constexpr std::size_t kCheckedBytes = 4096;

private:
    FileState stateOf(std::uint64_t size, dev_t device, ino_t inode, FilePoll& poll);
    bool earlierBytesKept() const;
    void startOver();
    void takeConsumed(std::size_t length);
    void closeFile();

    std::string name_;
    int fd_ = -1; // open between a poll that found something to read and the last piece
    std::optional<std::pair<dev_t, ino_t>> identity_;
    bool missing_ = false;
    std::chrono::system_clock::time_point modified_{};
    std::uint64_t consumed_ = 0; // bytes handed out as complete lines
    std::uint64_t readTo_ = 0;   // bytes read: consumed_ and buffer_'s size
    std::uint64_t size_ = 0;     // the size at the poll: what this poll reads up to
    std::string buffer_;         // bytes read after consumed_ (a piece handed out first)
    std::size_t handedOut_ = 0;  // the front of buffer_ handed out at the last next()
    std::string head_, tail_;    // the first and last kCheckedBytes up to consumed_
};

// The length of the front of text that ends with a complete line (0 when none).
std::size_t completeLinesLength(std::string_view text);
