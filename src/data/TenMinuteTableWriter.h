#pragma once
// Writes the ten-minute table on a thread of its own while the caller goes on
// reading. Formatting half a million rows and writing some forty megabytes is
// about a third of a decade's run; on a second processor it costs the reader
// nothing. Rows are handed over as plain values in batches (the rows' nodes
// belong to the reading thread's pool); each is written exactly as
// appendTenMinuteRow writes it.
//
// Texts that a row borrows are passed on as they are, so whatever they borrow
// from (the table's copy of the file) must outlive the writer; texts a row
// owns are copied.

#include "data/TenMinuteTable.h"
#include "shared/HugePages.h"
#include "shared/TextFile.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>

class TenMinuteTableWriter {
public:
    // Creates the file (IoError at once) and writes the header line if asked.
    TenMinuteTableWriter(const std::string& name, bool headerLine);
    // Builds the table's bytes in memory instead (CR LF line ends), to be
    // taken after close. Room for expectedBytes is taken at once: growing a
    // text of tens of megabytes copies it, and the reader would wait for that.
    TenMinuteTableWriter(std::size_t expectedBytes, bool headerLine);
    // Without close (or closeThen) the file is removed: it is incomplete.
    ~TenMinuteTableWriter();
    TenMinuteTableWriter(const TenMinuteTableWriter&) = delete;
    TenMinuteTableWriter& operator=(const TenMinuteTableWriter&) = delete;

    void add(const TenMinuteRow& row); // IoError of an earlier write, if any
    // Waits until every row is written and closes the file; IoError on failure.
    void close();
    // Hands the last rows over and returns at once. The writer's thread
    // writes them, closes the file, then runs `then` (when given): it is busy
    // on its processor already, where a new thread would first have to be
    // woken. finish() waits for all of it and throws the first failure. Once
    // this is called, the table is completed even if finish() never is.
    void closeThen(std::function<void()> then);
    void finish();
    // The table built in memory, after close.
    std::string takeText() { return std::move(text_); }

private:
    // One row's values. A text lies at `data` (borrowed) or, when data is
    // null, at `offset` in the batch's own bytes.
    struct Text {
        const char* data;
        std::size_t offset;
        std::size_t size;
    };
    struct Record {
        Text fileName;
        Text remark;
        DateTime time;
        std::int64_t echo, longEcho, otherData, observedMinutes;
    };
    // The records lie in the slab below; the owned texts in bytes.
    struct Batch {
        Record* records = nullptr;
        std::size_t count = 0;
        std::string bytes;
        void clear() {
            count = 0;
            bytes.clear();
        }
    };
    // The three batches that take turns (filled, handed over, written) share
    // one slab of one huge page, 2 MiB on its boundary: the kernel then gives
    // it its memory in one fault, which the worker takes (see start). Batch
    // by batch, some 500 page faults of 4 KiB had been a tenth of the reading
    // thread's time on a year of data.
    //
    // About 7,900 rows a batch. Each handover wakes the other thread, and the
    // scheduler often puts the woken one on the waker's processor: with small
    // batches the two then took turns on one processor while the other stood
    // idle (a decade ran 17% slower with 1,024 rows a batch on a
    // two-processor host).
    static constexpr std::size_t kSlabBytes = kHugePageSize;
    static constexpr std::size_t kBatchRows = kSlabBytes / 3 / sizeof(Record);
    struct SlabDelete {
        void operator()(Record* slab) const noexcept {
            ::operator delete (static_cast<void*>(slab), std::align_val_t{kHugePageSize});
        }
    };

    Text keepText(const RowText& text);
    void handOver(bool last);
    void start();
    void work(Batch working);
    void complete() noexcept; // the file closed, then `then`
    void writeBatch(const Batch& batch);
    void stop() noexcept;

    std::optional<TextFileWriter> file_; // none: the table goes to text_
    std::string text_;
    std::unique_ptr<Record[], SlabDelete> slab_;
    Batch filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Batch handed_; // guarded by mutex_
    bool hasHanded_ = false;
    bool finished_ = false;
    bool abandoned_ = false;     // the rows stopped coming: no close, no `then`
    std::function<void()> then_; // set before the last handover
    std::exception_ptr failure_; // the worker's, guarded by mutex_
    std::thread worker_;
};
