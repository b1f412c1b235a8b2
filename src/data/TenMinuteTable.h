#pragma once
// Observation rows and the data-file reader, slot normalisation with rates,
// and the ten-minute table.
//
// TenMinuteTable holds two lists in the program's list convention (each ends in
// one empty end node; a node is real exactly while its Next is set): the rows,
// and the lines set aside (unreadable, implausible, or unplaceable in time).
// The end node of the row list doubles as the parse buffer. Every pass is
// linear in the number of lines; long chains are released iteratively.

#include "shared/DateTime.h"
#include "shared/Messages.h"
#include "shared/RowText.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ReadAhead;

// The texts of rows read from a file borrow the list's copy of the file; the
// list keeps it until it is cleared. A row read from a line borrows both texts
// from that line, so the line runs from the file name's first byte to the
// remark's last: no row stores its line.
struct TenMinuteRow {
    RowText fileName;  // first column; "NoFile" in a gap row; "a&b" after a merge
    DateTime time = 0; // start of the ten-minute slot
    // Counts are 64-bit so that merged sums never overflow; the reader only
    // accepts values of 0 to 2^31-1. Rates and errors are worked out from
    // them when a row is written.
    std::int64_t echo = 0;
    std::int64_t longEcho = 0;
    std::int64_t otherData = 0;
    std::int64_t observedMinutes = 0; // minutes observed; 10 for a full slot, 0 in a gap row
    RowText remark;                   // the rest of the line after ObsTime's comma, unchanged
    std::unique_ptr<TenMinuteRow> next;

    // Nodes come from a pool (shared/NodePool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
};

struct RejectedLine {
    std::string line; // the data line exactly as read
    std::unique_ptr<RejectedLine> next;
};

// Called every few thousand lines of a long pass with the share of it done
// (0 to 1). It may throw to stop the pass; the table is then half built and
// fit only to be cleared.
using PassProgress = std::function<void(double share)>;

// Receives the rows of a load once no later line can change them, in list
// order (gap rows included).
using RowSink = std::function<void(const TenMinuteRow& row)>;

// Whether a load keeps the rows it hands on, or lets each go once handed on
// (for a caller that needs every row only once, as it comes).
enum class KeepRows { Yes, No };

class TenMinuteTable {
public:
    TenMinuteTable() = default;
    ~TenMinuteTable();
    TenMinuteTable(const TenMinuteTable&) = delete;
    TenMinuteTable& operator=(const TenMinuteTable&) = delete;

    std::unique_ptr<TenMinuteRow> top; // first node of the row list
    TenMinuteRow* cursor = nullptr;    // row cursor, moved by every walk
    TenMinuteRow* endNode = nullptr;   // the empty end node; the next line is parsed into it
    RejectedLine* rejectedCursor = nullptr;
    std::unique_ptr<RejectedLine> rejectedTop;

    void init();
    void clear();
    // Exchanges the whole content with another table (a recompute builds into
    // a fresh table and takes it only when it was not cancelled).
    void swap(TenMinuteTable& other) noexcept;
    // Reads a data file: nothing happens when no such file exists; IoError when
    // it cannot be read (lists unchanged).
    void loadFile(const std::string& name, const MessageCallback& onMessage = {});
    // The same over bytes already read (the pipeline reads the file once);
    // returns the bytes, which the table keeps and shares (the raw-data page
    // shows them without a copy of its own).
    std::shared_ptr<const std::string> loadText(std::string text,
                                                const MessageCallback& onMessage = {},
                                                const PassProgress& onProgress = {});
    // loadText and normalize in one pass over the lines: each row is put in
    // its slot as it is read, and handed to sink once the next slot is
    // reached. With KeepRows::No the list holds only the row that later
    // lines may still merge into; the rejected lines are kept either way.
    std::shared_ptr<const std::string> loadNormalized(std::string text, const RowSink& sink,
                                                      KeepRows keep,
                                                      const MessageCallback& onMessage = {},
                                                      const PassProgress& onProgress = {});
    // The same over a file still being read: each line is read as soon as
    // its bytes are there. Returns the file's bytes; IoError when the file
    // cannot be read.
    std::shared_ptr<const std::string> loadNormalized(ReadAhead& source, const RowSink& sink,
                                                      KeepRows keep,
                                                      const MessageCallback& onMessage = {},
                                                      const PassProgress& onProgress = {});
    // Lines the last load went through, empty ones included (up to a Ctrl-Z).
    std::size_t linesRead() const { return linesRead_; }
    // Whether a Ctrl-Z ended the text of the last load.
    bool endMarkMet() const { return endMarkMet_; }
    // Parses, checks and stores one line.
    void addLine(std::string_view line, const MessageCallback& onMessage = {});
    // Gap rows and merged duplicates; rows that cannot be placed in time are
    // moved to the rejected lines.
    void normalize(const PassProgress& onProgress = {});
    // Writes the ten-minute table; IoError on failure.
    void writeFile(const std::string& name, bool formatLine, const PassProgress& onProgress = {});

private:
    struct Settling; // where normalisation stands in the list

    // Where a load stands in its text, for the share done.
    struct LinePass {
        const char* base; // the text's first byte
        std::size_t size; // the text's (expected) size
        std::size_t linesToReport;
    };

    std::shared_ptr<const std::string> load(std::string text, const MessageCallback& onMessage,
                                            const PassProgress& onProgress, Settling* settling);
    // Empties the table for a load and resets what a load counts.
    void startLoad();
    // Reads the lines of a stretch of a kept text; true when a Ctrl-Z ended it.
    bool readLines(std::string_view stretch, LinePass& pass, const MessageCallback& onMessage,
                   const PassProgress& onProgress, Settling* settling);
    // addLine's work on a line that already lies in Texts (loadText's lines);
    // with settling, the row is also put in its slot at once.
    void handleLine(std::string_view keptLine, const MessageCallback& onMessage,
                    Settling* settling = nullptr);
    // Puts the row node (read from line; null: see lineOf) in its slot.
    void settle(Settling& s, TenMinuteRow* node, const std::string_view* line);
    // The line a row of the list was read from, for setting it aside.
    std::string lineOf(const TenMinuteRow& row) const;
    void take(Settling& s, TenMinuteRow* node, std::int64_t key);
    void finishSettling(Settling& s);
    void handOn(Settling& s);
    void appendRejected(std::string_view line);
    const std::shared_ptr<const std::string>& keep(std::string text);

    static constexpr std::size_t kLinesPerProgress = 4096;

    RejectedLine* rejectedEnd = nullptr; // end node of the rejected lines
    // Rows the reader kept, then about the rows normalize left: the whole
    // of the next pass, for its share done.
    std::size_t rowCount = 0;
    std::size_t linesRead_ = 0;
    bool endMarkMet_ = false;
    // The bytes that rows' texts point into.
    std::deque<std::shared_ptr<const std::string>> texts;
};

// One row as a line of the ten-minute table, without line end.
std::string tenMinuteRowText(const TenMinuteRow& row);
void appendTenMinuteRow(std::string& out, const TenMinuteRow& row);

inline constexpr const char* kTenMinuteHeaderLine =
    "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,HR(Echo),HR(LongEcho),HR(OtherData),"
    "Err(Echo),Err(LongEcho),Err(OtherData)";
