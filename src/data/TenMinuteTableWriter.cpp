#include "data/TenMinuteTableWriter.h"

#include <utility>

TenMinuteTableWriter::TenMinuteTableWriter(const std::string& name, bool headerLine) {
    file_.emplace(name);
    if (headerLine) {
        file_->writeLine(kTenMinuteHeaderLine);
    }
    filling_.records.reserve(kBatchRows);
    worker_ = std::thread([this] { work(); });
}

TenMinuteTableWriter::TenMinuteTableWriter(std::size_t expectedBytes, bool headerLine) {
    text_.reserve(expectedBytes);
    if (headerLine) {
        text_.append(kTenMinuteHeaderLine).append("\r\n");
    }
    filling_.records.reserve(kBatchRows);
    worker_ = std::thread([this] { work(); });
}

TenMinuteTableWriter::~TenMinuteTableWriter() {
    stop();
}

void TenMinuteTableWriter::stop() noexcept {
    if (worker_.joinable()) {
        {
            // A batch not yet taken is dropped: the file is abandoned.
            std::lock_guard lock(mutex_);
            finished_ = true;
            hasHanded_ = false;
        }
        changed_.notify_all();
        worker_.join();
    }
}

TenMinuteTableWriter::Text TenMinuteTableWriter::keepText(const RowText& text) {
    if (text.borrowed()) {
        return {text.data(), 0, text.size()};
    }
    const Text kept{nullptr, filling_.bytes.size(), text.size()};
    filling_.bytes.append(text.view());
    return kept;
}

void TenMinuteTableWriter::add(const TenMinuteRow& row) {
    filling_.records.push_back({keepText(row.fileName), keepText(row.remark), row.time, row.echo,
                                row.longEcho, row.otherData, row.observedMinutes});
    if (filling_.records.size() >= kBatchRows) {
        handOver(false);
    }
}

void TenMinuteTableWriter::handOver(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasHanded_ || failure_; });
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    std::swap(handed_, filling_);
    hasHanded_ = !handed_.records.empty();
    finished_ = last;
    lock.unlock();
    changed_.notify_all();
    filling_.clear();
    // The batches take turns: each is given its full room once, rather than
    // growing (and touching fresh memory) step by step.
    filling_.records.reserve(kBatchRows);
}

void TenMinuteTableWriter::close() {
    handOver(true);
    worker_.join();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    if (file_) {
        file_->close();
    }
}

void TenMinuteTableWriter::work() {
    Batch working;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return hasHanded_ || finished_; });
            if (!hasHanded_) {
                return;
            }
            std::swap(working, handed_);
            hasHanded_ = false;
        }
        changed_.notify_all();
        try {
            writeBatch(working);
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            changed_.notify_all();
            return;
        }
        working.clear();
    }
}

void TenMinuteTableWriter::writeBatch(const Batch& batch) {
    const auto view = [&batch](const Text& text) {
        return RowText::borrow(
            std::string_view(text.data ? text.data : batch.bytes.data() + text.offset, text.size));
    };
    TenMinuteRow row;
    for (const Record& r : batch.records) {
        row.fileName = view(r.fileName);
        row.remark = view(r.remark);
        row.time = r.time;
        row.echo = r.echo;
        row.longEcho = r.longEcho;
        row.otherData = r.otherData;
        row.observedMinutes = r.observedMinutes;
        if (file_) {
            file_->writeLineWith([&row](std::string& line) { appendTenMinuteRow(line, row); });
        } else {
            appendTenMinuteRow(text_, row);
            text_.append("\r\n", 2);
        }
    }
}
