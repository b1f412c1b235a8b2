#pragma once
// A file read on a thread of its own into one buffer of its size, so that its
// first lines can be worked on while the kernel still copies the rest: on a
// decade of data the copy alone is a sixth of a run.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

class ReadAhead {
public:
    // Opens the file and starts reading it in pieces of pieceBytes. Throws
    // IoError naming the file when it cannot be opened.
    explicit ReadAhead(const std::string& name, std::size_t pieceBytes = kDefaultPieceBytes);
    // Stops the reading (at the next piece) and waits for it.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The file's size when it was opened.
    std::size_t expectedSize() const { return expected_; }

    struct Bytes {
        std::string_view read; // the file's first bytes, from the start of text()
        bool complete = false; // read to the end of the file
    };
    // The bytes read so far, once there are more than `known` of them or the
    // file is read to its end. Throws the reading's IoError.
    Bytes waitBeyond(std::size_t known);

    // The buffer the views of waitBeyond point into. Its size is final only
    // after finish(); until then only those views may be read.
    const std::shared_ptr<std::string>& text() const { return text_; }
    // Waits until the file is read to its end, gives the buffer its final
    // size (no reallocation: views stay valid) and returns it. Throws the
    // reading's IoError.
    const std::shared_ptr<std::string>& finish();

    static constexpr std::size_t kDefaultPieceBytes = std::size_t{1} << 19;
    static constexpr std::size_t kFirstPieceBytes = std::size_t{1} << 16;
    // A file that grows while it is read (a recorder appending its next line)
    // is read to its new end as long as the growth fits in this much room
    // beyond the size it had when opened: the buffer may never move, since
    // what was read from it borrows its bytes.
    static constexpr std::size_t kGrowthRoom = std::size_t{1} << 16;

private:
    void readAll(std::FILE* file) noexcept;
    void publish(std::size_t bytes, bool complete);

    std::string name_;
    std::size_t expected_ = 0;
    std::size_t pieceBytes_;
    std::shared_ptr<std::string> text_;
    const char* data_ = nullptr; // text_'s buffer, fixed once reserved
    // Bytes read, shifted left by one; the low bit is set once complete.
    std::atomic<std::uint64_t> state_{0};
    std::atomic<bool> stop_{false};
    std::exception_ptr error_; // set before the complete bit
    bool finished_ = false;
    std::thread thread_;
};
