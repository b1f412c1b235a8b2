#include "app/LiveJob.h"

#include "shared/IoError.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <utility>

namespace {

// The bytes of a text's splices, copied out of the text as it is now.
std::vector<TextEdit> byteEdits(const SequenceChange& change, std::string_view text) {
    std::vector<TextEdit> edits;
    for (const Splice& s : change) {
        edits.push_back({s.from, s.removed, std::string(text.substr(s.from, s.inserted))});
    }
    return edits;
}

// The lines of a page's splices, each ended by LF as the page joins them.
std::vector<TextEdit> lineEdits(const SequenceChange& change,
                                const std::vector<std::string>& lines) {
    std::vector<TextEdit> edits;
    for (const Splice& s : change) {
        std::string inserted;
        for (std::size_t i = s.from; i < s.from + s.inserted; ++i) {
            inserted += lines[i];
            inserted += '\n';
        }
        edits.push_back({s.from, s.removed, std::move(inserted)});
    }
    return edits;
}

PageChange bytesChange(bool whole, const SequenceChange& change, const std::string& text) {
    if (whole) {
        return {IndexedText::of(text), {}};
    }
    return {std::nullopt, byteEdits(change, text)};
}

PageChange linesChange(bool whole, const SequenceChange& change,
                       const std::vector<std::string>& lines) {
    if (whole) {
        return {IndexedText::ofLines(lines), {}};
    }
    return {std::nullopt, lineEdits(change, lines)};
}

} // namespace

LiveJob::LiveJob(const LiveOrder& order, const JobControl& control, RunMessages& messages)
    : settings_(order.settings), run_(requestOf(order, control, messages)),
      writer_(order.outputFolder) {
    writer_.setReplacement(FileReplacement::ByRename);
}

LiveRequest LiveJob::requestOf(const LiveOrder& order, const JobControl& control,
                               RunMessages& messages) {
    LiveRequest request;
    request.dataFile = order.dataFile;
    request.settings = order.settings;
    request.colorgrammes = true;
    // The raw page's bytes are read again from the file (readBytes): the run
    // need not keep a second copy of them (26 MB for a decade).
    request.keepDataBytes = false;
    request.onLineMessage = [&messages](const std::string& text, std::size_t line) {
        messages.add(text, line);
    };
    request.onProgress = [control](double share) { control.progress(JobStep::Reading, share); };
    request.cancelRequested = control.cancelled;
    return request;
}

LivePatch LiveJob::update() {
    const LiveUpdate update = run_.update();
    LivePatch patch;
    patch.file = update.file;
    patch.linesRead = update.linesRead;
    patch.whole = update.file.state == FileState::ReadAgain;
    patch.changed = update.changed() || patch.whole;
    patch.lastSlot = run_.lastSlot();
    patch.modified = run_.file().modified();
    if (!patch.changed) {
        return patch;
    }
    patch.summary = run_.summary();
    copyPages(update, patch);
    copyHours(update, patch);
    try {
        writeOutputs(update, patch.whole);
    } catch (const std::exception&) {
        patch.writeError = std::current_exception();
    }
    // From now on the .bak files keep what was there before the watch.
    writer_.setBackups(false);
    return patch;
}

void LiveJob::copyPages(const LiveUpdate& update, LivePatch& patch) {
    const bool whole = patch.whole;
    patch.rawData = rawDataChange(whole);
    patch.tenMinuteTable = bytesChange(whole, update.tenMinuteTable, run_.tenMinuteTable());
    patch.hourTable = bytesChange(whole, update.hourTable, run_.hourTable());
    patch.noObsList = bytesChange(whole, update.noObsList, run_.noObsList());
    patch.textReport = linesChange(whole, update.textReport, run_.textReport());
    patch.rmob = linesChange(whole, update.rmob, run_.rmob());
    const std::vector<ColorgrammeMonth>& months = run_.colorgrammes();
    patch.firstChangedMonth = whole ? std::optional<std::size_t>(0) : update.firstChangedMonth;
    if (patch.firstChangedMonth && *patch.firstChangedMonth <= months.size()) {
        patch.months.assign(months.begin() + static_cast<std::ptrdiff_t>(*patch.firstChangedMonth),
                            months.end());
    }
}

// The bytes of the lines the run took in since the raw page's last change:
// read again where the run read them. A recorder only appends, so they are
// the bytes it read; a file rewritten meanwhile is read afresh at the next
// update (GrowingFile).
PageChange LiveJob::rawDataChange(bool whole) {
    const std::uint64_t end = run_.file().completeBytes();
    const std::uint64_t from = whole ? 0 : std::min(rawDataBytes_, end);
    std::string bytes(end - from, '\0');
    std::ifstream file(run_.file().name(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from));
    if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throwIoError(FileOperation::Read, run_.file().name(), errno);
    }
    rawDataBytes_ = end;
    if (whole) {
        return {IndexedText::of(std::move(bytes)), {}};
    }
    if (bytes.empty()) {
        return {};
    }
    return {std::nullopt, {TextEdit{from, 0, std::move(bytes)}}};
}

void LiveJob::copyHours(const LiveUpdate& update, LivePatch& patch) const {
    const UtHourList& hours = run_.hours();
    if (patch.whole) {
        // A list of the window's own: the run's changes its table in place.
        patch.hours = UtHourList(std::make_shared<const HourTable>(hours.table()),
                                 hours.utOffsetHours(), hours.noiseMinutes());
        patch.hoursChanged = true;
        return;
    }
    if (update.hours.empty()) {
        return;
    }
    // One splice: the hours from the last settled one on.
    const Splice& splice = update.hours.front();
    const std::vector<HourRow>& rows = hours.table().rows();
    patch.keptHours = splice.from;
    patch.hourRows.assign(rows.begin() + static_cast<std::ptrdiff_t>(splice.from), rows.end());
    patch.hoursChanged = true;
}

void LiveJob::writeOutputs(const LiveUpdate& update, bool whole) {
    for (const Output output : outputsWrittenAfterEveryRun(settings_)) {
        switch (output) {
        case Output::TextReport:
            if (whole || !update.textReport.empty()) {
                writer_.writeTextReport(run_.textReport());
            }
            break;
        case Output::Rmob:
            if (whole || !update.rmob.empty()) {
                writer_.writeRmob(run_.rmob());
            }
            break;
        case Output::TenMinuteTable:
            if (whole || !update.tenMinuteTable.empty()) {
                writer_.writeTenMinuteTable(run_.tenMinuteTable());
            }
            break;
        case Output::HourTable:
            if (whole || !update.hourTable.empty()) {
                writer_.writeHourTable(run_.hourTable());
            }
            break;
        case Output::NoObsList:
            if (whole || !update.noObsList.empty()) {
                writer_.writeNoObsList(run_.noObsList());
            }
            break;
        }
    }
}
