#include "data/TenMinuteTableWriter.h"

#include <memory>
#include <span>
#include <utility>

TenMinuteTableWriter::TenMinuteTableWriter(const std::string& name, bool headerLine) {
    file_.emplace(name);
    if (headerLine) {
        file_->writeLine(kTenMinuteHeaderLine);
    }
    start();
}

TenMinuteTableWriter::TenMinuteTableWriter(std::size_t expectedBytes, bool headerLine) {
    text_.reserve(expectedBytes);
    if (headerLine) {
        text_.append(kTenMinuteHeaderLine).append("\r\n");
    }
    start();
}

void TenMinuteTableWriter::start() {
    slab_.reset(static_cast<Record*>(::operator new (kSlabBytes, std::align_val_t{kHugePageSize})));
    adviseHugePages(slab_.get(), kSlabBytes);
    filling_.records = slab_.get();
    handed_.records = slab_.get() + kBatchRows;
    Batch working;
    working.records = slab_.get() + 2 * kBatchRows;
    worker_ = std::thread([this, working = std::move(working)]() mutable {
        // The worker's own batch is its alone until the first handover: its
        // first write takes the slab's one fault here, not on the reading
        // thread (without huge pages, it faults in just this page).
        std::construct_at(working.records);
        work(std::move(working));
    });
}

TenMinuteTableWriter::~TenMinuteTableWriter() {
    stop();
}

void TenMinuteTableWriter::stop() noexcept {
    if (worker_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            // After the last handover the table is finished; before it, a
            // batch not yet taken is dropped and the file abandoned.
            if (!finished_) {
                finished_ = true;
                abandoned_ = true;
                hasHanded_ = false;
            }
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
    std::construct_at(filling_.records + filling_.count,
                      Record{keepText(row.fileName), keepText(row.remark), row.time, row.echo,
                             row.longEcho, row.otherData, row.observedMinutes});
    if (++filling_.count >= kBatchRows) {
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
    hasHanded_ = handed_.count > 0;
    finished_ = last;
    lock.unlock();
    changed_.notify_all();
    filling_.clear();
}

void TenMinuteTableWriter::close() {
    closeThen({});
    finish();
}

void TenMinuteTableWriter::closeThen(std::function<void()> then) {
    // Read by the worker only once it has seen the last handover.
    then_ = std::move(then);
    handOver(true);
}

void TenMinuteTableWriter::finish() {
    if (worker_.joinable()) {
        worker_.join();
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void TenMinuteTableWriter::work(Batch working) {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return hasHanded_ || finished_; });
            if (!hasHanded_) {
                if (!abandoned_) {
                    lock.unlock();
                    complete();
                }
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

void TenMinuteTableWriter::complete() noexcept {
    try {
        if (file_) {
            file_->close();
        }
        if (then_) {
            then_();
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
    }
}

void TenMinuteTableWriter::writeBatch(const Batch& batch) {
    const auto view = [&batch](const Text& text) {
        return RowText::borrow(
            std::string_view(text.data ? text.data : batch.bytes.data() + text.offset, text.size));
    };
    TenMinuteRow row;
    for (const Record& r : std::span(batch.records, batch.count)) {
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
