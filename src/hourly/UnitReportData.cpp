#include "hourly/UnitReportData.h"

#include "shared/LinkedList.h"
#include "shared/NodePool.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"

#include <cmath>

TReportDataList ReportData;

namespace {

constinit TNodePoolFor<TReportDataRecord> hourPool;

std::int64_t hourCount(TDateTime time) {
    const std::int64_t second = DateTimeToSecondKey(time);
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

void* TReportDataRecord::operator new(std::size_t size) {
    return size == sizeof(TReportDataRecord) ? hourPool.allocate() : ::operator new(size);
}

void TReportDataRecord::operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(TReportDataRecord)) {
        hourPool.release(p);
    } else {
        ::operator delete(p);
    }
}

TReportDataList::~TReportDataList() {
    releaseChain(Top);
}

void TReportDataList::Init() {
    releaseChain(Top);
    Index.clear();
    LastHourRow = nullptr;
    Ascending = true;
    Top = std::make_unique<TReportDataRecord>();
    Last = Top.get();
    Cur = Top.get();
}

void TReportDataList::Clear() {
    if (!Top) {
        Init();
        return;
    }
    releaseBeforeEnd(Top);
    Index.clear();
    LastHourRow = nullptr;
    Ascending = true;
    Last = Top.get();
    Cur = Top.get();
}

void TReportDataList::AddRecord(const TCSVDataRecord& row) {
    if (!Top) {
        Init();
    }
    const std::int64_t hour = hourCount(row.Time);
    TReportDataRecord* node = nullptr;
    DateTimeParts parts{};
    std::int64_t key = 0;
    if (LastHourRow && hour == LastHour) {
        node = LastHourRow;
    } else {
        parts = DecodeDateTime(row.Time);
        key = keyNumber(parts);
        const bool later = hour >= kFirstKeyHour && hour <= kLastKeyHour &&
                           (LastHourRow == nullptr || hour > LastHour);
        if (Ascending && !later) {
            Ascending = false;
            buildIndex();
        }
        if (!Ascending) {
            // The index finds the same node as a walk from Top would: keys
            // are unique and a node is indexed the moment it becomes an hour row.
            auto found = Index.find(key);
            if (found != Index.end()) {
                node = found->second;
            }
        }
    }
    if (node) {
        Cur = node;
        node->Echo += row.Echo;
        node->LongEcho += row.LongEcho;
        node->OtherData += row.OtherData;
        node->ObsTime += row.ObsTime;
        if (node->Remark.find(row.Remark.view()) == std::string::npos) {
            node->Remark += row.Remark.view();
        }
    } else {
        node = Last;
        Cur = node;
        node->Time = HourKeyOf(parts);
        node->Echo = row.Echo;
        node->LongEcho = row.LongEcho;
        node->OtherData = row.OtherData;
        node->ObsTime = row.ObsTime;
        node->Remark = row.Remark.view();
        node->Next = std::make_unique<TReportDataRecord>();
        Last = node->Next.get();
        if (!Ascending) {
            Index.emplace(key, node);
        }
    }
    // While ascending, the last hour is also the latest one.
    LastHourRow = node;
    LastHour = hour;
}

void TReportDataList::buildIndex() {
    Index.clear();
    for (TReportDataRecord* node = Top.get(); node->Next; node = node->Next.get()) {
        // The key text is all digits; read as a number it is keyNumber's value.
        std::int64_t key = 0;
        for (char c : node->Time) {
            key = key * 10 + (c - '0');
        }
        Index.emplace(key, node);
    }
}

void TReportDataList::CalcRate(std::int64_t threshold) {
    for (Cur = Top.get(); Cur && Cur->Next; Cur = Cur->Next.get()) {
        TReportDataRecord& r = *Cur;
        r.AboveNoise = threshold < r.ObsTime;
        r.UnderHour = r.ObsTime < 60;
        if (r.ObsTime != 0) {
            const double f = 60.0 / static_cast<double>(r.ObsTime);
            // Negative sums cannot reach here (the reader refuses negative
            // counts); guard the square root all the same.
            auto root = [](std::int64_t v) {
                return v > 0 ? std::sqrt(static_cast<double>(v)) : 0.0;
            };
            r.RateEcho = static_cast<double>(r.Echo) * f;
            r.RateLongEcho = static_cast<double>(r.LongEcho) * f;
            r.RateOtherData = static_cast<double>(r.OtherData) * f;
            r.ErrEcho = root(r.Echo) * f;
            r.ErrLongEcho = root(r.LongEcho) * f;
            r.ErrOtherData = root(r.OtherData) * f;
        } else {
            r.RateEcho = r.RateLongEcho = r.RateOtherData = 0;
            r.ErrEcho = r.ErrLongEcho = r.ErrOtherData = 0;
        }
    }
}

namespace {
constexpr int kNumbersRoom = 4 * (1 + kIntRoom) + 6 * (1 + kFixed2Room) + 1;

// The numeric middle of a line, from the comma after Time to the comma before
// Remark, written at once; nullptr when some field needs the slow way.
char* putNumbers(char* p, const TReportDataRecord& r) {
    for (std::int64_t count : {r.Echo, r.LongEcho, r.OtherData, r.ObsTime}) {
        *p++ = ',';
        p = PutInt(p, count);
    }
    for (double v :
         {r.RateEcho, r.RateLongEcho, r.RateOtherData, r.ErrEcho, r.ErrLongEcho, r.ErrOtherData}) {
        *p++ = ',';
        p = PutFixed2(p, v);
        if (!p) {
            return nullptr;
        }
    }
    *p++ = ',';
    return p;
}

void appendRecord(std::string& out, const TReportDataRecord& r) {
    out += r.Time;
    char numbers[kNumbersRoom];
    if (char* end = putNumbers(numbers, r)) {
        out.append(numbers, static_cast<size_t>(end - numbers));
        out += r.Remark;
        return;
    }
    out += ',';
    AppendInt(out, r.Echo);
    out += ',';
    AppendInt(out, r.LongEcho);
    out += ',';
    AppendInt(out, r.OtherData);
    out += ',';
    AppendInt(out, r.ObsTime);
    for (double v :
         {r.RateEcho, r.RateLongEcho, r.RateOtherData, r.ErrEcho, r.ErrLongEcho, r.ErrOtherData}) {
        out += ',';
        AppendFixed2(out, v);
    }
    out += ',';
    out += r.Remark;
}
} // namespace

std::string ReportRecordToStr(const TReportDataRecord& row) {
    std::string out;
    appendRecord(out, row);
    return out;
}

void TReportDataList::SaveReport60(const std::string& name, bool formatLine) {
    TextFileWriter out(name);
    if (formatLine) {
        out.writeLine(kReport60FormatLine);
    }
    for (Cur = Top.get(); Cur && Cur->Next; Cur = Cur->Next.get()) {
        out.writeLineWith([this](std::string& line) { appendRecord(line, *Cur); });
    }
    out.close();
}
