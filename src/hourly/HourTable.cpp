#include "hourly/HourTable.h"

#include "shared/FullRateTexts.h"
#include "shared/LinkedList.h"
#include "shared/NodePool.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"

#include <array>
#include <cmath>

namespace {

constinit NodePoolFor<HourRow> hourPool;

std::int64_t hourCount(DateTime time) {
    const std::int64_t second = secondKeyOf(time);
    return second / 3600 - (second % 3600 < 0 ? 1 : 0);
}

// Hours of the years 1 to 9999, whose keys are four-digit years: there two
// hours have the same key exactly when they are the same hour.
constexpr std::int64_t kFirstKeyHour = std::int64_t{-693593} * 24;
constexpr std::int64_t kLastKeyHour = std::int64_t{2958465} * 24 + 23;

// The key "yyyymmddhh" as a number, built from the same fields (and the same
// clamping of a negative year) as the text, so that equal numbers mean equal
// texts.
std::int64_t keyNumber(const DateTimeParts& p) {
    const std::int64_t year = p.year < 0 ? 0 : p.year;
    return ((year * 100 + p.month) * 100 + p.day) * 100 + p.hour;
}

} // namespace

void* HourRow::operator new(std::size_t size) {
    return size == sizeof(HourRow) ? hourPool.allocate() : ::operator new(size);
}

void HourRow::operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(HourRow)) {
        hourPool.release(p);
    } else {
        ::operator delete(p);
    }
}

HourTable::~HourTable() {
    releaseChain(top);
}

void HourTable::swap(HourTable& other) noexcept {
    std::swap(top, other.top);
    std::swap(cursor, other.cursor);
    std::swap(endNode, other.endNode);
    std::swap(lastHourRow, other.lastHourRow);
    std::swap(lastHour, other.lastHour);
    std::swap(ascending, other.ascending);
    index.swap(other.index);
}

void HourTable::init() {
    releaseChain(top);
    index.clear();
    lastHourRow = nullptr;
    ascending = true;
    top = std::make_unique<HourRow>();
    endNode = top.get();
    cursor = top.get();
}

void HourTable::clear() {
    if (!top) {
        init();
        return;
    }
    releaseBeforeEnd(top);
    index.clear();
    lastHourRow = nullptr;
    ascending = true;
    endNode = top.get();
    cursor = top.get();
}

void HourTable::addRow(const TenMinuteRow& row) {
    if (!top) {
        init();
    }
    const std::int64_t hour = hourCount(row.time);
    HourRow* node = nullptr;
    DateTimeParts parts{};
    std::int64_t key = 0;
    if (lastHourRow && hour == lastHour) {
        node = lastHourRow;
    } else {
        parts = decodeDateTime(row.time);
        key = keyNumber(parts);
        const bool later = hour >= kFirstKeyHour && hour <= kLastKeyHour &&
                           (lastHourRow == nullptr || hour > lastHour);
        if (ascending && !later) {
            ascending = false;
            buildIndex();
        }
        if (!ascending) {
            // The index finds the same node as a walk from Top would: keys
            // are unique and a node is indexed the moment it becomes an hour row.
            auto found = index.find(key);
            if (found != index.end()) {
                node = found->second;
            }
        }
    }
    if (node) {
        cursor = node;
        node->echo += row.echo;
        node->longEcho += row.longEcho;
        node->otherData += row.otherData;
        node->observedMinutes += row.observedMinutes;
        if (node->remark.find(row.remark.view()) == std::string::npos) {
            node->remark += row.remark.view();
        }
    } else {
        node = endNode;
        cursor = node;
        node->time = hourKeyOf(parts);
        node->echo = row.echo;
        node->longEcho = row.longEcho;
        node->otherData = row.otherData;
        node->observedMinutes = row.observedMinutes;
        node->remark = row.remark.view();
        node->next = std::make_unique<HourRow>();
        endNode = node->next.get();
        if (!ascending) {
            index.emplace(key, node);
        }
    }
    // While ascending, the last hour is also the latest one.
    lastHourRow = node;
    lastHour = hour;
}

void HourTable::buildIndex() {
    index.clear();
    for (HourRow* node = top.get(); node->next; node = node->next.get()) {
        // The key text is all digits; read as a number it is keyNumber's value.
        std::int64_t key = 0;
        for (char c : node->time) {
            key = key * 10 + (c - '0');
        }
        index.emplace(key, node);
    }
}

void HourTable::computeRates(std::int64_t threshold) {
    for (cursor = top.get(); cursor && cursor->next; cursor = cursor->next.get()) {
        cursor->aboveNoise = threshold < cursor->observedMinutes;
    }
}

namespace {

// The rates and errors of an hour row as hourly values, in the order written:
// the three rates, then the three errors. Worked out when needed rather than
// kept in every row; the same operations as ever, so the same digits.
std::array<double, 6> ratesOf(const HourRow& r) {
    if (r.observedMinutes == 0) {
        return {};
    }
    const double f = 60.0 / static_cast<double>(r.observedMinutes);
    // Negative sums cannot reach here (the reader refuses negative counts);
    // guard the square root all the same.
    auto root = [](std::int64_t v) { return v > 0 ? std::sqrt(static_cast<double>(v)) : 0.0; };
    return {static_cast<double>(r.echo) * f,
            static_cast<double>(r.longEcho) * f,
            static_cast<double>(r.otherData) * f,
            root(r.echo) * f,
            root(r.longEcho) * f,
            root(r.otherData) * f};
}

} // namespace

double HourRow::echoRate() const {
    if (observedMinutes == 0) {
        return 0;
    }
    const double f = 60.0 / static_cast<double>(observedMinutes);
    return static_cast<double>(echo) * f;
}

namespace {
constexpr int kNumbersRoom = 4 * (1 + kIntRoom) + 6 * (1 + kFixed2Room) + 1;

// The numeric middle of a line, from the comma after Time to the comma before
// Remark, written at once; nullptr when some field needs the slow way.
char* putNumbers(char* p, const HourRow& r) {
    for (std::int64_t count : {r.echo, r.longEcho, r.otherData, r.observedMinutes}) {
        *p++ = ',';
        p = putInt(p, count);
    }
    static const FullRateTexts<HourRow> fullHours(60, ratesOf);
    if (char* end = fullHours.put(p, r)) {
        *end++ = ',';
        return end;
    }
    for (double v : ratesOf(r)) {
        *p++ = ',';
        p = putFixed2(p, v);
        if (!p) {
            return nullptr;
        }
    }
    *p++ = ',';
    return p;
}

void appendRecord(std::string& out, const HourRow& r) {
    out += r.time;
    char numbers[kNumbersRoom];
    if (char* end = putNumbers(numbers, r)) {
        out.append(numbers, static_cast<size_t>(end - numbers));
        out += r.remark;
        return;
    }
    out += ',';
    appendInt(out, r.echo);
    out += ',';
    appendInt(out, r.longEcho);
    out += ',';
    appendInt(out, r.otherData);
    out += ',';
    appendInt(out, r.observedMinutes);
    for (double v : ratesOf(r)) {
        out += ',';
        appendFixed2(out, v);
    }
    out += ',';
    out += r.remark;
}
} // namespace

std::string hourRowText(const HourRow& row) {
    std::string out;
    appendRecord(out, row);
    return out;
}

void HourTable::writeFile(const std::string& name, bool formatLine,
                          const std::function<void()>& onProgress) {
    TextFileWriter out(name);
    if (formatLine) {
        out.writeLine(kHourHeaderLine);
    }
    std::size_t written = 0;
    for (cursor = top.get(); cursor && cursor->next; cursor = cursor->next.get()) {
        out.writeLineWith([this](std::string& line) { appendRecord(line, *cursor); });
        if (++written % 4096 == 0 && onProgress) {
            onProgress();
        }
    }
    out.close();
}
