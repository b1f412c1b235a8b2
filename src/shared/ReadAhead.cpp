#include "shared/ReadAhead.h"

#include "shared/HugePages.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

ReadAhead::ReadAhead(const std::string& name, std::size_t pieceBytes)
    : name_(name), pieceBytes_(std::max<std::size_t>(pieceBytes, 1)),
      text_(std::make_shared<std::string>()) {
    std::FILE* file = openForReading(name);
    // The pieces go straight into the buffer; without a stream buffer of its
    // own the reading thread allocates nothing before its first piece.
    std::setvbuf(file, nullptr, _IONBF, 0);
    try {
        std::error_code sizeEc;
        const std::uintmax_t size = std::filesystem::file_size(name, sizeEc);
        if (!sizeEc && size < text_->max_size() - kGrowthRoom) {
            expected_ = static_cast<std::size_t>(size);
        }
        // Reserved once and never exceeded, so the buffer stays where it is.
        // A huge page more than needed: then the buffer holds whole huge
        // pages wherever it lands, and a file of a few megabytes takes one
        // fault per 2 MiB rather than 512 (the room not read into is never
        // touched, so it costs no memory).
        text_->reserve(expected_ + kGrowthRoom + kHugePageSize);
        adviseHugePages(text_->data(), text_->capacity());
        data_ = text_->data();
        thread_ = std::thread(&ReadAhead::readAll, this, file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
}

ReadAhead::~ReadAhead() {
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ReadAhead::publish(std::size_t bytes, bool complete) {
    state_.store((static_cast<std::uint64_t>(bytes) << 1) | (complete ? 1 : 0),
                 std::memory_order_release);
    state_.notify_all();
}

void ReadAhead::readAll(std::FILE* file) noexcept {
    std::size_t at = 0;
    try {
        // The most that is read; the huge page beyond it is not.
        const std::size_t room = expected_ + kGrowthRoom;
        // The lines wait for the first piece, and the reading is only a few
        // times faster than their parsing: short pieces first, each twice
        // the last, keep the reading ahead from the start.
        std::size_t piece = std::min(pieceBytes_, kFirstPieceBytes);
        for (;;) {
            if (stop_.load(std::memory_order_relaxed)) {
                break;
            }
            const std::size_t want = std::min(piece, room - at);
            if (want == 0) {
                // Full: only the end of the file may follow.
                if (std::fgetc(file) != EOF) {
                    throw IoError(FileOperation::Read, name_, 0,
                                  "the file grew while it was read; read it again");
                }
                if (std::ferror(file)) {
                    throwIoError(FileOperation::Read, name_, errno);
                }
                break;
            }
            // Within the reserved room: the buffer does not move, and the
            // bytes published before are not touched.
            text_->resize(at + want);
            const std::size_t got = std::fread(text_->data() + at, 1, want, file);
            at += got;
            if (got < want) {
                if (std::ferror(file)) {
                    throwIoError(FileOperation::Read, name_, errno);
                }
                break;
            }
            publish(at, false);
            piece = std::min(piece * 2, pieceBytes_);
        }
    } catch (...) {
        error_ = std::current_exception();
    }
    std::fclose(file);
    publish(at, true);
}

ReadAhead::Bytes ReadAhead::waitBeyond(std::size_t known) {
    for (;;) {
        const std::uint64_t state = state_.load(std::memory_order_acquire);
        const auto bytes = static_cast<std::size_t>(state >> 1);
        const bool complete = (state & 1) != 0;
        if (complete && error_) {
            std::rethrow_exception(error_);
        }
        if (complete || bytes > known) {
            return Bytes{std::string_view(data_, bytes), complete};
        }
        state_.wait(state, std::memory_order_acquire);
    }
}

const std::shared_ptr<std::string>& ReadAhead::finish() {
    if (!finished_) {
        const Bytes all = waitBeyond(std::string::npos);
        thread_.join();
        text_->resize(all.read.size()); // never more than was reserved
        finished_ = true;
    }
    return text_;
}
