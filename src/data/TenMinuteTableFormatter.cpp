#include "data/TenMinuteTableFormatter.h"

#include <utility>

namespace {
// Batches formatted at once: with two, the reading never waits for a batch
// that was slow to start.
constexpr std::size_t kMaxInFlight = 2;
} // namespace

TenMinuteTableFormatter::TenMinuteTableFormatter(bool headerLine, PieceSink sink)
    : sink_(std::move(sink)) {
    if (headerLine) {
        std::string header(kTenMinuteHeaderLine);
        header += "\r\n";
        sink_(header);
    }
    batch_.rows.reserve(kBatchRows);
}

TenMinuteTableFormatter::~TenMinuteTableFormatter() {
    for (std::future<Batch>& batch : inFlight_) {
        batch.wait();
    }
}

void TenMinuteTableFormatter::add(const TenMinuteRow& row) {
    batch_.rows.push_back(StoredRow{row.time, row.echo, row.longEcho, row.otherData,
                                    row.observedMinutes, row.fileName.size(), row.remark.size()});
    batch_.texts += row.fileName;
    batch_.texts += row.remark;
    if (batch_.rows.size() == kBatchRows) {
        sendBatch();
    }
}

void TenMinuteTableFormatter::finish() {
    if (!batch_.rows.empty()) {
        sendBatch();
    }
    while (!inFlight_.empty()) {
        handOnOldest();
    }
}

void TenMinuteTableFormatter::sendBatch() {
    if (inFlight_.size() == kMaxInFlight) {
        handOnOldest();
    }
    inFlight_.push_back(std::async(std::launch::async, [batch = std::move(batch_)]() mutable {
        format(batch);
        return std::move(batch);
    }));
    if (spares_.empty()) {
        batch_ = Batch();
    } else {
        batch_ = std::move(spares_.back());
        spares_.pop_back();
    }
    batch_.rows.reserve(kBatchRows);
}

void TenMinuteTableFormatter::handOnOldest() {
    Batch done = inFlight_.front().get();
    inFlight_.pop_front();
    sink_(done.piece);
    // Its memory serves a later batch.
    done.rows.clear();
    done.texts.clear();
    done.piece.clear();
    spares_.push_back(std::move(done));
}

void TenMinuteTableFormatter::format(Batch& batch) {
    batch.piece.reserve(batch.rows.size() * 96);
    std::string_view texts = batch.texts;
    TenMinuteRow row;
    TenMinuteLineWriter lines;
    for (const StoredRow& stored : batch.rows) {
        row.fileName = texts.substr(0, stored.nameLength);
        row.remark = texts.substr(stored.nameLength, stored.remarkLength);
        texts.remove_prefix(stored.nameLength + stored.remarkLength);
        row.time = stored.time;
        row.echo = stored.echo;
        row.longEcho = stored.longEcho;
        row.otherData = stored.otherData;
        row.observedMinutes = stored.observedMinutes;
        lines.append(batch.piece, row);
        batch.piece += "\r\n";
    }
}
