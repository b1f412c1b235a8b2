#include "hourly/UnitReportData.h"

#include "shared/LinkedList.h"
#include "shared/NumberFormat.h"
#include "shared/TextFile.h"

#include <cmath>

TReportDataList ReportData;

TReportDataList::~TReportDataList() {
    releaseChain(Top);
}

void TReportDataList::Init() {
    releaseChain(Top);
    Index.clear();
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
    Last = Top.get();
    Cur = Top.get();
}

void TReportDataList::AddRecord(const TCSVDataRecord& row) {
    if (!Top) {
        Init();
    }
    std::string key = DateTimeToHourKey(row.Time);
    // The index finds the same node as a walk from Top would: keys are unique
    // and a node is indexed the moment it becomes an hour row.
    auto found = Index.find(key);
    if (found != Index.end()) {
        TReportDataRecord* node = found->second;
        Cur = node;
        node->Echo += row.Echo;
        node->LongEcho += row.LongEcho;
        node->OtherData += row.OtherData;
        node->ObsTime += row.ObsTime;
        if (node->Remark.find(row.Remark) == std::string::npos) {
            node->Remark += row.Remark;
        }
        return;
    }
    TReportDataRecord* node = Last;
    Cur = node;
    node->Time = key;
    node->Echo = row.Echo;
    node->LongEcho = row.LongEcho;
    node->OtherData = row.OtherData;
    node->ObsTime = row.ObsTime;
    node->Remark = row.Remark;
    node->Next = std::make_unique<TReportDataRecord>();
    Last = node->Next.get();
    Index.emplace(std::move(key), node);
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
void appendRecord(std::string& out, const TReportDataRecord& r) {
    out += r.Time;
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
    std::string line;
    for (Cur = Top.get(); Cur && Cur->Next; Cur = Cur->Next.get()) {
        line.clear();
        appendRecord(line, *Cur);
        out.writeLine(line);
    }
    out.close();
}
