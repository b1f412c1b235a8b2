#include "app/RunJob.h"

#include "pipeline/OutputWriter.h"

#include <memory>
#include <utility>

namespace {

// The core's run takes most of the time; the pages' indexes and the months
// take the next share, the outputs the rest.
constexpr double kRunShare = 0.85;
constexpr double kPagesShare = 0.05;

RunRequest requestOf(const RunOrder& order) {
    RunRequest request;
    request.dataFile = order.dataFile;
    request.settings = order.settings;
    request.keepDataBytes = true;
    request.outputs = {Output::TenMinuteTable, Output::HourTable, Output::NoObsList};
    if (order.settings.alwaysWriteTextReport) {
        request.outputs.push_back(Output::TextReport);
    }
    if (order.settings.alwaysWriteRmob) {
        request.outputs.push_back(Output::Rmob);
    }
    return request;
}

IndexedText sharedText(std::string text, LineIndex index) {
    return IndexedText{std::make_shared<const std::string>(std::move(text)), std::move(index)};
}

} // namespace

void RunMessages::add(const std::string& text, std::size_t line) {
    if (texts.size() < kKept) {
        texts.push_back(text);
        lines.push_back(line);
    }
    ++count;
}

RunOutcome runJob(const RunOrder& order, const JobControl& control, RunMessages& messages) {
    RunRequest request = requestOf(order);
    request.onLineMessage = [&messages](const std::string& text, std::size_t line) {
        messages.add(text, line);
    };
    request.onProgress = [&control](RunStep step, double fraction) {
        control.progress(step == RunStep::Reading ? JobStep::Reading : JobStep::Counting,
                         fraction * kRunShare);
    };
    request.cancelRequested = control.cancelled;
    RunResult result = runReport(request);

    RunOutcome outcome;
    outcome.settings = order.settings;
    outcome.months = buildColorgrammes(result.hours);
    // Indexed here, while the texts are still the result's: the window only
    // takes them over.
    LineIndex tableIndex = LineIndex::of(result.tenMinuteTable);
    LineIndex hourIndex = LineIndex::of(result.hourTable);
    LineIndex noObsIndex = LineIndex::of(result.noObsList);
    outcome.rawData = IndexedText::of(result.dataBytes);
    if (control.cancelled()) {
        throw RunCancelled(); // the last chance: nothing is written yet
    }
    control.progress(JobStep::Writing, kRunShare + kPagesShare);
    try {
        writeOutputs(result, outputsWrittenAfterEveryRun(order.settings),
                     OutputWriter(order.outputFolder));
    } catch (const std::exception&) {
        outcome.writeError = std::current_exception();
    }
    outcome.summary = std::move(result.summary);
    outcome.hours = std::move(result.hours);
    outcome.tenMinuteTable = sharedText(std::move(result.tenMinuteTable), std::move(tableIndex));
    outcome.hourTable = sharedText(std::move(result.hourTable), std::move(hourIndex));
    outcome.noObsList = sharedText(std::move(result.noObsList), std::move(noObsIndex));
    if (order.settings.alwaysWriteTextReport) {
        outcome.textReport = std::move(result.textReport);
    }
    if (order.settings.alwaysWriteRmob) {
        outcome.rmob = std::move(result.rmob);
    }
    control.progress(JobStep::Writing, 1.0);
    return outcome;
}
