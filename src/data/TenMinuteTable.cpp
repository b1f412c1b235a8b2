#include "data/TenMinuteTable.h"

#include "config/ProgramInfo.h"
#include "shared/CodePage.h"
#include "shared/FullRateTexts.h"
#include "shared/LinkedList.h"
#include "shared/Messages.h"
#include "shared/NodePool.h"
#include "shared/NumberFormat.h"
#include "shared/ReadAhead.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

namespace {

// Gap insertion adds one row per missing slot, so one mistyped year (2104 for
// 2014) would add millions of rows and a year 9999 billions. A row this far
// after the row before it is set aside instead of being reached by gap rows.
constexpr std::int64_t kMaxGapSeconds = std::int64_t{3653} * 86400;
constexpr std::int64_t kSlotSeconds = 600;
// Rows that hop nine years at a time pass that rule one by one, so the gap
// rows of one file together are held to twenty years of slots as well: no
// data file, however made, costs more memory than its own lines and that.
constexpr std::int64_t kMaxGapRows = std::int64_t{2} * 3653 * 144;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a count column: blanks in front, then an optionally signed decimal
// number, or an unsigned hexadecimal one after "$", "x" or "0x" with at most
// eight digits, taken as 32-bit two's complement ($FFFFFFFF is -1). Anything
// after the digits and a value outside 32 bits fail. A negative count fails
// too: it has no square root, and a rate pass that met one would leave every
// later row without rates.
bool readCount(std::string_view s, std::int64_t& out) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n && s[i] == ' ') {
        ++i;
    }
    bool negative = false;
    bool hex = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    } else if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) {
        return false;
    }
    if (hex) {
        if (n - i > 8) {
            return false;
        }
        std::uint32_t value = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(s[i]);
            if (d < 0) {
                return false;
            }
            value = (value << 4) | static_cast<std::uint32_t>(d);
        }
        if (value > 0x7FFFFFFFu) {
            return false; // negative as 32-bit two's complement
        }
        out = static_cast<std::int64_t>(value);
        return true;
    }
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > 0x7FFFFFFF) {
            return false; // outside 32 bits, or (with "-") negative
        }
    }
    if (negative && value != 0) {
        return false;
    }
    out = value;
    return true;
}

// Position of the first c in s from `from` on, or npos. The columns before
// the remark are a few bytes each: a plain loop beats a library call there.
size_t findByte(std::string_view s, char c, size_t from = 0) {
    for (size_t i = from; i < s.size(); ++i) {
        if (s[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The first comma of a line, eight bytes at a time: the file name before it
// is the longest column that is searched.
size_t findFirstComma(std::string_view s) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kCommas = kOnes * ',';
    constexpr std::uint64_t kHigh = kOnes * 0x80;
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        w ^= kCommas; // a comma becomes a zero byte
        if (((w - kOnes) & ~w & kHigh) != 0) {
            break;
        }
    }
    return findByte(s, ',', i);
}

// Whether work starts with "yyyy/mm/dd hh:nn:ss" and a comma, as the date
// column of nearly every line does: then that comma is the first one and the
// first colon stands before it.
bool compactDateColumn(std::string_view work) {
    if (work.size() < 20 || work[4] != '/' || work[7] != '/' || work[10] != ' ' ||
        work[13] != ':' || work[16] != ':' || work[19] != ',') {
        return false;
    }
    bool digits = true;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) {
        digits =
            digits && work[static_cast<size_t>(i)] >= '0' && work[static_cast<size_t>(i)] <= '9';
    }
    return digits;
}

// Splits off the text before the next comma. Every column up to ObsTime must
// end in a comma, so without one the column counts as unreadable.
bool takeColumn(std::string_view& work, std::string_view& column) {
    const size_t comma = findByte(work, ',');
    if (comma == std::string_view::npos) {
        return false;
    }
    column = work.substr(0, comma);
    work.remove_prefix(comma + 1);
    return true;
}

// The columns after the date: the four counts and the remark.
bool readRest(std::string_view work, DateTime time, TenMinuteRow& row) {
    row.time = time;
    std::string_view column;
    for (std::int64_t* count : {&row.echo, &row.longEcho, &row.otherData, &row.observedMinutes}) {
        // Nearly every count is one to nine digits and a comma: read it in
        // one go. Anything else is read by the full rules.
        std::int64_t value = 0;
        size_t i = 0;
        while (i < work.size() && i < 10 && work[i] >= '0' && work[i] <= '9') {
            value = value * 10 + (work[i] - '0');
            ++i;
        }
        if (i >= 1 && i <= 9 && i < work.size() && work[i] == ',') {
            *count = value;
            work.remove_prefix(i + 1);
            continue;
        }
        if (!takeColumn(work, column) || !readCount(column, *count)) {
            return false;
        }
    }
    row.remark = RowText::borrow(work);
    return true;
}

// Parses one data line into row (the list's end node); false when a column
// cannot be read. The row's texts borrow from line, which the list keeps.
bool parseLine(std::string_view line, TenMinuteRow& row) {
    std::string_view work = line;
    // A line without any comma has neither a file name nor a date column.
    const size_t nameEnd = findFirstComma(work);
    if (nameEnd == std::string_view::npos) {
        return false;
    }
    row.fileName = RowText::borrow(work.substr(0, nameEnd));
    work.remove_prefix(nameEnd + 1);

    std::optional<DateTime> time;
    if (compactDateColumn(work)) {
        // The fields of the checked form straight away: what tryParseDateTime
        // reads from it, without checking it again.
        const char* t = work.data();
        auto two = [t](int i) { return (t[i] - '0') * 10 + (t[i + 1] - '0'); };
        time = tryEncodeDateTime(two(0) * 100 + two(2), two(5), two(8), two(11), two(14), two(17));
        work.remove_prefix(20);
        return time && readRest(work, *time, row);
    }
    const size_t comma = findByte(work, ',');
    if (comma == std::string_view::npos) {
        return false;
    }
    // Date and time in two columns when the first colon comes after the
    // first comma (a date with its time has the colon before it).
    const bool twoColumns = findByte(work.substr(0, comma), ':') == std::string_view::npos &&
                            work.find(':', comma + 1) != std::string_view::npos;
    if (twoColumns) {
        // Date and time in two columns: joined by a blank into one text.
        const size_t end = findByte(work, ',', comma + 1);
        if (end == std::string_view::npos) {
            return false;
        }
        static thread_local std::string joined;
        joined.assign(work.substr(0, comma));
        joined.push_back(' ');
        joined.append(work.substr(comma + 1, end - comma - 1));
        time = tryParseDateTime(joined);
        work.remove_prefix(end + 1);
    } else {
        time = tryParseDateTime(work.substr(0, comma));
        work.remove_prefix(comma + 1);
    }
    return time && readRest(work, *time, row);
}

const std::string& implausiblePrefix() {
    static const std::string text =
        utf8ToCp932("データが不正です。") + '\r' +
        utf8ToCp932("観測時間が「０」なのにエコー数が記録されています。 ") + "\r[ ";
    return text;
}

const std::string& unexpectedErrorText() {
    static const std::string text = utf8ToCp932("予想外のエラーが発生しました??");
    return text;
}

void makeGapRow(TenMinuteRow& row, DateTime time) {
    row.fileName = RowText::borrow(kGapFileName);
    row.time = time;
    row.echo = row.longEcho = row.otherData = row.observedMinutes = 0;
    row.remark = RowText::borrow(kGapRemark);
}

void mergeInto(TenMinuteRow& into, const TenMinuteRow& row) {
    into.fileName.push_back('&');
    into.fileName += row.fileName;
    into.echo += row.echo;
    into.longEcho += row.longEcho;
    into.otherData += row.otherData;
    into.observedMinutes += row.observedMinutes;
    into.remark += row.remark;
}

// The rates and errors of a row as ten-minute values, in the order written:
// the three rates, then the three errors. Worked out when a row is written
// rather than kept in every row.
std::array<double, 6> ratesOf(const TenMinuteRow& row) {
    if (row.observedMinutes == 0) {
        return {};
    }
    const double k = 10.0 / static_cast<double>(row.observedMinutes);
    const auto echo = static_cast<double>(row.echo);
    const auto longEcho = static_cast<double>(row.longEcho);
    const auto otherData = static_cast<double>(row.otherData);
    return {echo * k,
            longEcho * k,
            otherData * k,
            std::sqrt(echo) * k,
            std::sqrt(longEcho) * k,
            std::sqrt(otherData) * k};
}

constinit NodePoolFor<TenMinuteRow> rowPool;

} // namespace

void* TenMinuteRow::operator new(std::size_t size) {
    return size == sizeof(TenMinuteRow) ? rowPool.allocate() : ::operator new(size);
}

void TenMinuteRow::operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(TenMinuteRow)) {
        rowPool.release(p);
    } else {
        ::operator delete(p);
    }
}

struct TenMinuteTable::Settling {
    TenMinuteRow* prev = nullptr; // the row last put in its slot; a duplicate may still join it
    std::int64_t prevKey = 0;
    std::int64_t expected = 0; // the slot due next
    std::int64_t gapRowsLeft = kMaxGapRows;
    std::size_t rowsSeen = 0; // rows put in their slots, gap rows included
    const RowSink* sink = nullptr;
    bool keep = true;

    Settling() = default;
    // Settling while lines are read: each row handed to sink once settled.
    Settling(const RowSink& to, KeepRows keepRows) : sink(&to), keep(keepRows == KeepRows::Yes) {}

    // Lines set aside here while lines are still being read: they follow
    // every line the reader sets aside, so they wait until the end.
    std::vector<std::string> setAside;
};

TenMinuteTable::~TenMinuteTable() {
    releaseChain(top);
    releaseChain(rejectedTop);
}

void TenMinuteTable::swap(TenMinuteTable& other) noexcept {
    // Rows point into the texts' strings and into pool nodes, neither of
    // which moves when the members are exchanged.
    std::swap(top, other.top);
    std::swap(cursor, other.cursor);
    std::swap(endNode, other.endNode);
    std::swap(rejectedCursor, other.rejectedCursor);
    std::swap(rejectedTop, other.rejectedTop);
    std::swap(rejectedEnd, other.rejectedEnd);
    std::swap(rowCount, other.rowCount);
    std::swap(linesRead_, other.linesRead_);
    std::swap(endMarkMet_, other.endMarkMet_);
    texts.swap(other.texts);
}

void TenMinuteTable::init() {
    releaseChain(top);
    releaseChain(rejectedTop);
    texts.clear();
    rowCount = 0;
    top = std::make_unique<TenMinuteRow>();
    cursor = endNode = top.get();
    rejectedTop = std::make_unique<RejectedLine>();
    rejectedCursor = rejectedEnd = rejectedTop.get();
}

void TenMinuteTable::clear() {
    if (!top || !rejectedTop) {
        init();
        return;
    }
    releaseBeforeEnd(top);
    cursor = endNode = top.get();
    // The end node may hold leftovers of a parse that borrow from Texts,
    // which is emptied below.
    endNode->fileName = RowText();
    endNode->remark = RowText();
    releaseBeforeEnd(rejectedTop);
    rejectedCursor = rejectedEnd = rejectedTop.get();
    texts.clear();
    rowCount = 0;
}

void TenMinuteTable::loadFile(const std::string& name, const MessageCallback& onMessage) {
    if (!fileExists(name)) {
        return;
    }
    loadText(readWholeFile(name), onMessage);
}

std::shared_ptr<const std::string> TenMinuteTable::loadText(std::string text,
                                                            const MessageCallback& onMessage,
                                                            const PassProgress& onProgress) {
    return load(std::move(text), onMessage, onProgress, nullptr);
}

std::shared_ptr<const std::string>
TenMinuteTable::loadNormalized(std::string text, const RowSink& sink, KeepRows keep,
                               const MessageCallback& onMessage, const PassProgress& onProgress) {
    Settling settling(sink, keep);
    std::shared_ptr<const std::string> kept =
        load(std::move(text), onMessage, onProgress, &settling);
    finishSettling(settling);
    return kept;
}

std::shared_ptr<const std::string>
TenMinuteTable::loadNormalized(ReadAhead& source, const RowSink& sink, KeepRows keep,
                               const MessageCallback& onMessage, const PassProgress& onProgress) {
    Settling settling(sink, keep);
    startLoad();
    // Kept from the start: the rows borrow from it as they are read.
    texts.push_back(source.text());
    LinePass pass{nullptr, source.expectedSize(), kLinesPerProgress};
    // Whole lines only, up to the last line feed read: a line end never
    // stands split between two stretches (CR LF stays one), so the lines are
    // those of the whole text read at once.
    std::size_t done = 0;
    std::size_t seen = 0;
    for (;;) {
        const ReadAhead::Bytes got = source.waitBeyond(seen);
        pass.base = got.read.data();
        seen = got.read.size();
        std::size_t end = seen;
        if (!got.complete) {
            const std::size_t lastFeed = got.read.rfind('\n');
            if (lastFeed == std::string_view::npos || lastFeed < done) {
                continue;
            }
            end = lastFeed + 1;
        }
        if (readLines(got.read.substr(done, end - done), pass, onMessage, onProgress, &settling)) {
            endMarkMet_ = true;
            break;
        }
        done = end;
        if (got.complete) {
            break;
        }
    }
    source.finish();
    finishSettling(settling);
    return texts.back();
}

std::shared_ptr<const std::string> TenMinuteTable::load(std::string text,
                                                        const MessageCallback& onMessage,
                                                        const PassProgress& onProgress,
                                                        Settling* settling) {
    startLoad();
    std::shared_ptr<const std::string> kept = keep(std::move(text));
    LinePass pass{kept->data(), kept->size(), kLinesPerProgress};
    endMarkMet_ = readLines(*kept, pass, onMessage, onProgress, settling);
    return kept;
}

void TenMinuteTable::startLoad() {
    clear();
    linesRead_ = 0;
    endMarkMet_ = false;
}

bool TenMinuteTable::readLines(std::string_view stretch, LinePass& pass,
                               const MessageCallback& onMessage, const PassProgress& onProgress,
                               Settling* settling) {
    return forEachLine(stretch, /*stopAtCtrlZ=*/true, [&](std::string_view line) {
        ++linesRead_;
        handleLine(line, onMessage, settling);
        if (--pass.linesToReport == 0) {
            pass.linesToReport = kLinesPerProgress;
            if (onProgress && pass.size > 0) {
                const auto done = static_cast<std::size_t>(line.data() + line.size() - pass.base);
                onProgress(
                    std::min(1.0, static_cast<double>(done) / static_cast<double>(pass.size)));
            }
        }
    });
}

void TenMinuteTable::addLine(std::string_view line, const MessageCallback& onMessage) {
    if (line.empty()) {
        return;
    }
    std::string_view kept;
    try {
        kept = *keep(std::string(line));
    } catch (const std::exception&) {
        deliverMessage(onMessage, unexpectedErrorText());
        return;
    }
    handleLine(kept, onMessage);
}

void TenMinuteTable::handleLine(std::string_view line, const MessageCallback& onMessage,
                                Settling* settling) {
    if (line.empty()) {
        return;
    }
    if (!top) {
        init();
    }
    try {
        cursor = endNode;
        TenMinuteRow& row = *endNode;
        if (!parseLine(line, row)) {
            appendRejected(line);
            return;
        }
        if (row.observedMinutes == 0 && row.echo + row.longEcho > 0) {
            std::string message = implausiblePrefix();
            message.append(line);
            message.append(" ]");
            deliverMessage(onMessage, message);
            appendRejected(line);
            return;
        }
        auto end = std::make_unique<TenMinuteRow>();
        endNode = end.get();
        row.next = std::move(end);
        ++rowCount;
        if (settling) {
            settle(*settling, &row, &line);
        }
    } catch (const std::exception&) {
        deliverMessage(onMessage, unexpectedErrorText());
    }
}

void TenMinuteTable::appendRejected(std::string_view line) {
    auto end = std::make_unique<RejectedLine>();
    rejectedEnd->line.assign(line);
    rejectedCursor = rejectedEnd;
    rejectedEnd->next = std::move(end);
    rejectedEnd = rejectedEnd->next.get();
}

std::string TenMinuteTable::lineOf(const TenMinuteRow& row) const {
    // A row read from a line borrows both texts from it, the file name at its
    // start and the remark at its end; a gap row borrows literals, and a
    // merged or hand-made row owns its texts. Only a span that lies within
    // one of the kept texts is a line; any other row has its table line
    // stand for it.
    if (row.fileName.borrowed() && row.remark.borrowed()) {
        const std::less_equal<const char*> notAfter;
        const char* begin = row.fileName.data();
        const char* end = row.remark.data() + row.remark.size();
        for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
            const char* first = (*text)->data();
            const char* last = first + (*text)->size();
            if (notAfter(first, begin) && notAfter(begin, end) && notAfter(end, last)) {
                return std::string(begin, static_cast<size_t>(end - begin));
            }
        }
    }
    return tenMinuteRowText(row);
}

const std::shared_ptr<const std::string>& TenMinuteTable::keep(std::string text) {
    // The strings never move, so views into them stay valid.
    texts.push_back(std::make_shared<const std::string>(std::move(text)));
    return texts.back();
}

// Normalisation walks the rows once, holding only the row before: a row that
// is the slot due is taken; one of the slot before joins that row; one that
// gap rows cannot (or may not) reach is set aside as read; otherwise gap rows
// fill the slots up to it. So it can run over a finished list, or row by row
// while the lines are read.
void TenMinuteTable::settle(Settling& s, TenMinuteRow* node, const std::string_view* line) {
    if (!s.prev && s.rowsSeen == 0) {
        s.expected = secondKeyOf(node->time); // the first row is always due
    }
    for (;;) {
        const std::int64_t curKey = secondKeyOf(node->time);
        if (curKey == s.expected) {
            take(s, node, curKey);
            return;
        }
        if (s.prev && curKey == s.prevKey) {
            mergeInto(*s.prev, *node);
            std::unique_ptr<TenMinuteRow> gone = std::move(s.prev->next);
            s.prev->next = std::move(gone->next);
            return;
        }
        if (curKey < s.expected || (s.prev && curKey - s.prevKey > kMaxGapSeconds) ||
            (curKey - s.expected + 599) / 600 > s.gapRowsLeft) {
            // Out of order, off the grid, or absurdly far ahead: gap rows can
            // never reach this row, or may not. It joins the rejected lines as
            // read.
            s.setAside.push_back(line ? std::string(*line) : lineOf(*node));
            std::unique_ptr<TenMinuteRow>& link = s.prev ? s.prev->next : top;
            std::unique_ptr<TenMinuteRow> gone = std::move(link);
            link = std::move(gone->next);
            return;
        }
        // A slot is missing before this row: the row moves on into a new node
        // and its old node becomes the gap row in front of it.
        auto moved = std::make_unique<TenMinuteRow>(std::move(*node));
        makeGapRow(*node, dateTimeOfSecondKey(s.expected));
        node->next = std::move(moved);
        --s.gapRowsLeft;
        take(s, node, secondKeyOf(node->time));
        node = node->next.get();
    }
}

void TenMinuteTable::take(Settling& s, TenMinuteRow* node, std::int64_t key) {
    // The row before can change no more.
    if (s.prev) {
        handOn(s);
    }
    // What secondKeyOf(time + kTenMinutes) gives: every time here is a whole
    // second (read from a line or made for a gap), far from the half
    // millisecond where the sum's rounding could tip.
    s.expected = key + kSlotSeconds;
    s.prev = node;
    s.prevKey = key;
    ++s.rowsSeen;
}

void TenMinuteTable::handOn(Settling& s) {
    if (s.sink && *s.sink) {
        (*s.sink)(*s.prev);
    }
    if (!s.keep) {
        // The row handed on is the first of the list: the ones before it went
        // the same way.
        std::unique_ptr<TenMinuteRow> gone = std::move(top);
        top = std::move(gone->next);
    }
}

void TenMinuteTable::finishSettling(Settling& s) {
    if (s.prev) {
        handOn(s);
        s.prev = nullptr;
    }
    for (const std::string& line : s.setAside) {
        appendRejected(line);
    }
    cursor = endNode;
    rowCount = s.rowsSeen;
}

void TenMinuteTable::normalize(const PassProgress& onProgress) {
    if (!top) {
        return;
    }
    Settling s;
    std::size_t examined = 0;
    for (TenMinuteRow* node = top.get(); node->next;) {
        settle(s, node, nullptr);
        // Whatever became of the row, the next one to examine now follows
        // the last row taken.
        node = s.prev ? s.prev->next.get() : top.get();
        if (++examined % kLinesPerProgress == 0 && onProgress) {
            onProgress(std::min(1.0, static_cast<double>(examined) /
                                         static_cast<double>(std::max<std::size_t>(rowCount, 1))));
        }
    }
    finishSettling(s);
}

void TenMinuteTable::writeFile(const std::string& name, bool formatLine,
                               const PassProgress& onProgress) {
    TextFileWriter out(name);
    if (formatLine) {
        out.writeLine(kTenMinuteHeaderLine);
    }
    if (top) {
        std::size_t written = 0;
        for (cursor = top.get(); cursor->next; cursor = cursor->next.get()) {
            out.writeLineWith([this](std::string& line) { appendTenMinuteRow(line, *cursor); });
            if (++written % kLinesPerProgress == 0 && onProgress) {
                onProgress(
                    std::min(1.0, static_cast<double>(written) /
                                      static_cast<double>(std::max<std::size_t>(rowCount, 1))));
            }
        }
    }
    out.close();
}

namespace {
// The numeric middle of a line, from the comma after FileName to the comma
// before Remark, written at once; nullptr when some field needs the slow way.
constexpr int kNumbersRoom = 1 + 16 + 4 * (1 + kIntRoom) + 6 * (1 + kFixed2Room) + 1;

char* putNumbers(char* p, const TenMinuteRow& row) {
    *p++ = ',';
    p = putReportTime(p, row.time);
    if (!p) {
        return nullptr;
    }
    for (std::int64_t count : {row.echo, row.longEcho, row.otherData, row.observedMinutes}) {
        *p++ = ',';
        p = putInt(p, count);
    }
    static const FullRateTexts<TenMinuteRow> fullSlots(10, ratesOf);
    if (char* end = fullSlots.put(p, row)) {
        *end++ = ',';
        return end;
    }
    for (double value : ratesOf(row)) {
        *p++ = ',';
        p = putFixed2(p, value);
        if (!p) {
            return nullptr;
        }
    }
    *p++ = ',';
    return p;
}

void appendNumbers(std::string& out, const TenMinuteRow& row) {
    out.push_back(',');
    appendReportTime(out, row.time);
    for (std::int64_t count : {row.echo, row.longEcho, row.otherData, row.observedMinutes}) {
        out.push_back(',');
        appendInt(out, count);
    }
    for (double value : ratesOf(row)) {
        out.push_back(',');
        appendFixed2(out, value);
    }
    out.push_back(',');
}
} // namespace

void appendTenMinuteRow(std::string& out, const TenMinuteRow& row) {
    out += row.fileName.view();
    char numbers[kNumbersRoom];
    if (char* end = putNumbers(numbers, row)) {
        out.append(numbers, static_cast<size_t>(end - numbers));
    } else {
        appendNumbers(out, row);
    }
    out += row.remark.view();
}

std::string tenMinuteRowText(const TenMinuteRow& row) {
    std::string out;
    appendTenMinuteRow(out, row);
    return out;
}
