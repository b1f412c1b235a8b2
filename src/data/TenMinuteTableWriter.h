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
#include "shared/TextFile.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TenMinuteTableWriter {
public:
    // Creates the file (IoError at once) and writes the header line if asked.
    TenMinuteTableWriter(const std::string& name, bool headerLine);
    // Builds the table's bytes in memory instead (CR LF line ends), to be
    // taken after close. Room for expectedBytes is taken at once: growing a
    // text of tens of megabytes copies it, and the reader would wait for that.
    TenMinuteTableWriter(std::size_t expectedBytes, bool headerLine);
    // Without close the file is removed: it is incomplete.
    ~TenMinuteTableWriter();
    TenMinuteTableWriter(const TenMinuteTableWriter&) = delete;
    TenMinuteTableWriter& operator=(const TenMinuteTableWriter&) = delete;

    void add(const TenMinuteRow& row); // IoError of an earlier write, if any
    // Waits until every row is written and closes the file; IoError on failure.
    void close();
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
    struct Batch {
        std::vector<Record> records;
        std::string bytes; // the owned texts of the records
        void clear() {
            records.clear();
            bytes.clear();
        }
    };
    // Some 600 KB a batch, a handover every 8,192 rows. Each handover wakes
    // the other thread, and the scheduler often puts the woken one on the
    // waker's processor: with small batches the two then took turns on one
    // processor while the other stood idle (a decade ran 17% slower with
    // 1,024 rows a batch on a two-processor host).
    static constexpr std::size_t kBatchRows = 8192;

    Text keepText(const RowText& text);
    void handOver(bool last);
    void work();
    void writeBatch(const Batch& batch);
    void stop() noexcept;

    std::optional<TextFileWriter> file_; // none: the table goes to text_
    std::string text_;
    Batch filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Batch handed_; // guarded by mutex_
    bool hasHanded_ = false;
    bool finished_ = false;
    std::exception_ptr failure_; // the worker's, guarded by mutex_
    std::thread worker_;
};
