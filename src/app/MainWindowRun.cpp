// The window's side of a run: starting it on the worker, its progress in the
// status bar, and what the window takes from it once it has ended.

#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/CoreTexts.h"
#include "app/LargeTextView.h"
#include "app/LiveWatch.h"
#include "app/MessageBoxes.h"
#include "app/ReportRunner.h"
#include "app/ShowerPage.h"
#include "app/TextView.h"
#include "app/WorkerThread.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include <tuple>

namespace {

// The captions of the steps, in the order of JobStep.
constexpr const char* kStepCaptions[] = {
    QT_TRANSLATE_NOOP("MainWindow", "行の読み取り"),
    QT_TRANSLATE_NOOP("MainWindow", "時間ごとの集計"),
    QT_TRANSLATE_NOOP("MainWindow", "ファイルの出力"),
};

// The settings a text report is built with.
auto textReportSettingsOf(const Settings& s) {
    return std::tuple(s.reportLongEcho, s.reportOtherData, s.percentRates, s.noiseMinutes,
                      s.utOffsetHours);
}

} // namespace

void MainWindow::openDataFile() {
    const std::optional<QString> name = openDialog(this);
    if (!name) {
        return;
    }
    openFile(*name);
}

void MainWindow::openFile(const QString& name) {
    // The name is used to open the file, so it keeps the file system's spelling.
    dataFileName_ = QFile::encodeName(name).toStdString();
    if (QFileInfo(name).isFile()) {
        rememberFile(name);
    }
    recompute();
}

bool MainWindow::isRunning() const {
    return runner_->isRunning() || tableWriter_->isRunning() || live_->isReadingWhole();
}

void MainWindow::recompute() {
    const QString name = QFile::decodeName(QByteArray::fromStdString(dataFileName_));
    dataFileField_->setText(name);
    // A name that is no file only changes the name; a run under way goes on.
    // A named pipe is read like a file.
    const QFileInfo file(name);
    if (!file.exists() || file.isDir()) {
        enableDataButtons();
        return;
    }
    startRun();
}

void MainWindow::startRun() {
    statusBar()->clearMessage(); // what it said is of the pages, which now change
    hideLoadSummary();
    if (liveAction_->isChecked()) {
        startWatch();
        return;
    }
    stopWatch();
    runner_->start(
        RunOrder{dataFileName_, settings_, QFile::encodeName(outputFolder_).toStdString()});
    setRunning(true);
    showRunProgress();
}

void MainWindow::setRunning(bool running) {
    recomputeButton_->setText(running ? tr("計算中") : captions_.translated(QT_TR_NOOP("再計算")));
    for (QWidget* widget :
         std::initializer_list<QWidget*>{progressStep_, progressBar_, cancelButton_}) {
        widget->setVisible(running);
    }
}

void MainWindow::showRunProgress() {
    if (live_->isReadingWhole()) {
        progressStep_->setText(tr(kStepCaptions[static_cast<int>(JobStep::Reading)]));
        progressBar_->setValue(static_cast<int>(live_->fraction() * 1000));
        return;
    }
    if (!runner_->isRunning()) {
        return;
    }
    progressStep_->setText(tr(kStepCaptions[static_cast<int>(runner_->step())]));
    progressBar_->setValue(static_cast<int>(runner_->fraction() * 1000));
}

void MainWindow::cancelRun() {
    if (live_->isReadingWhole()) {
        // The watch stops with its first read; live mode stays on for the
        // next file opened.
        stopWatch();
        return;
    }
    runner_->cancel();
}

void MainWindow::enableDataButtons() {
    for (QPushButton* button : dataButtons_) {
        button->setEnabled(true);
    }
}

void MainWindow::runFinished() {
    RunEnd end = runner_->takeEnd();
    const bool done = end.kind == RunEnd::Kind::Done;
    const std::exception_ptr error = end.kind == RunEnd::Kind::Failed ? end.error
                                     : end.outcome                    ? end.outcome->writeError
                                                                      : nullptr;
    endRun(
        end.order.dataFile, done, [this, &end] { applyOutcome(*end.outcome); }, end.messages, error,
        done ? &end.outcome->summary : nullptr);
}

// What a run, or a watch's first read, leaves: when done, its pages; then
// its messages and its error, or that it was stopped (neither done nor
// failed).
void MainWindow::endRun(const std::string& dataFile, bool done,
                        const std::function<void()>& applyPages, const RunMessages& messages,
                        std::exception_ptr error, const Summary* summary) {
    setRunning(false);
    enableDataButtons();
    if (done) {
        completedFileName_ = dataFile;
        pagesFileText_ = QFile::decodeName(QByteArray::fromStdString(completedFileName_));
        guarded(applyPages);
    }
    // The name of the file whose data the pages show.
    dataFileName_ = completedFileName_;
    dataFileField_->setText(pagesFileText_);
    if (done && summary) {
        showLoadSummary(*summary);
    } else {
        restoreLoadSummary(); // the pages' file still
    }
    if (!done && !error) {
        statusBar()->showMessage(tr("計算を中止しました。前のデータのままです。"), 10000);
    } else {
        // At start, not before the window they talk about.
        whenOnScreen([this, messages, dataFile] { showRunMessages(messages, dataFile); });
    }
    if (error) {
        guarded([&error] { std::rethrow_exception(error); });
    }
    emit runEnded();
}

void MainWindow::applyOutcome(RunOutcome& outcome) {
    hours_ = std::move(outcome.hours);
    showSummary(outcome.summary);
    rawDataView_->setText(std::move(outcome.rawData));
    tenMinuteView_->setText(std::move(outcome.tenMinuteTable));
    hourView_->setText(std::move(outcome.hourTable));
    noObsView_->setText(std::move(outcome.noObsList));
    textReportStale_ = true;
    if (outcome.textReport) {
        textReportView_->setLines(*outcome.textReport);
        // Unless a report setting changed while the run went on.
        textReportStale_ =
            textReportSettingsOf(outcome.settings) != textReportSettingsOf(settings_);
    }
    rmobStale_ = !outcome.rmob;
    if (outcome.rmob) {
        rmobView_->setLines(*outcome.rmob);
        rmobBuiltWith_ = pageSettingsOf(outcome.settings);
    }
    monthsFrom_.reset();
    laterMonths_.clear();
    colorgrammePage_->setMonths(std::move(outcome.months));
    colorgrammeBuiltWith_ = pageSettingsOf(outcome.settings);
    // The page in sight follows at once; the others when shown.
    pageShown(pages_->currentIndex());
    markLaggingPages();
}

void MainWindow::showSummary(const Summary& summary) {
    // In the order of summaryFields_.
    const std::string Summary::*fields[] = {
        &Summary::firstLine, &Summary::firstSlot, &Summary::lineCount,     &Summary::rowCount,
        &Summary::lastLine,  &Summary::lastSlot,  &Summary::rejectedCount, &Summary::gapCount};
    for (size_t i = 0; i < summaryFields_.size(); ++i) {
        // A field left as it was is not drawn again (live mode changes a few).
        const QString text = cp932ToQString(summary.*fields[i]);
        if (summaryFields_[i]->text() != text) {
            summaryFields_[i]->setText(text);
            // A long line would otherwise show its end, not its start.
            summaryFields_[i]->setCursorPosition(0);
        }
    }
}

void MainWindow::showRunMessages(const RunMessages& messages, const std::string& dataFile) {
    size_t shown = 0;
    const QString file = QDir::toNativeSeparators(QFile::decodeName(dataFile.c_str()));
    for (size_t i = 0; i < messages.texts.size(); ++i) {
        ++shown;
        // The core's text as it stands, then where the line is.
        const QString text = coreTextForDisplay(messages.texts[i]) + QStringLiteral("\n\n") +
                             tr("ファイル: %1\n行: %2").arg(file).arg(messages.lines[i]);
        if (showMessageOfferingToStop(this, text)) {
            break;
        }
    }
    if (const size_t unshown = messages.count - shown; unshown > 0) {
        showMessageBox(this, QMessageBox::Information,
                       tr("表示しなかったメッセージが %1 件あります。").arg(unshown));
    }
}
