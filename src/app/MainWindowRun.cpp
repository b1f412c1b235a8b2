// The window's side of a run: starting it on the worker, its progress in the
// status bar, and what the window takes from it once it has ended.

#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
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
    return runner_->isRunning() || tableWriter_->isRunning();
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
    if (!runner_->isRunning()) {
        return;
    }
    progressStep_->setText(tr(kStepCaptions[static_cast<int>(runner_->step())]));
    progressBar_->setValue(static_cast<int>(runner_->fraction() * 1000));
}

void MainWindow::enableDataButtons() {
    for (QPushButton* button : dataButtons_) {
        button->setEnabled(true);
    }
}

void MainWindow::runFinished() {
    RunEnd end = runner_->takeEnd();
    setRunning(false);
    enableDataButtons();
    if (end.kind == RunEnd::Kind::Done) {
        completedFileName_ = end.order.dataFile;
        pagesFileText_ = QFile::decodeName(QByteArray::fromStdString(completedFileName_));
        guarded([this, &end] { applyOutcome(*end.outcome); });
    }
    // The name of the file whose data the pages show.
    dataFileName_ = completedFileName_;
    dataFileField_->setText(pagesFileText_);
    if (end.kind == RunEnd::Kind::Cancelled) {
        statusBar()->showMessage(tr("計算を中止しました。前のデータのままです。"), 10000);
    } else {
        showRunMessages(end);
    }
    const std::exception_ptr error = end.kind == RunEnd::Kind::Failed ? end.error
                                     : end.outcome                    ? end.outcome->writeError
                                                                      : nullptr;
    if (error) {
        guarded([&error] { std::rethrow_exception(error); });
    } else if (end.kind == RunEnd::Kind::Done) {
        statusBar()->showMessage(
            tr("%1 を読み込みました (%2 行、不良 %3 行)。出力先: %4")
                .arg(dataFileField_->text(), QString::fromStdString(end.outcome->summary.lineCount),
                     QString::fromStdString(end.outcome->summary.rejectedCount),
                     QDir::toNativeSeparators(outputFolder_)));
    }
    emit runEnded();
}

void MainWindow::applyOutcome(RunOutcome& outcome) {
    hours_ = std::move(outcome.hours);
    showSummary(outcome);
    rawDataView_->setText(std::move(outcome.rawData));
    tenMinuteTable_ = outcome.tenMinuteTable.bytes;
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
    colorgrammePage_->setMonths(std::move(outcome.months));
    colorgrammeBuiltWith_ = pageSettingsOf(outcome.settings);
    // The page in sight follows at once; the others when shown.
    pageShown(pages_->currentIndex());
    markLaggingPages();
}

void MainWindow::showSummary(const RunOutcome& outcome) {
    // In the order of summaryFields_.
    const std::string Summary::*fields[] = {
        &Summary::firstLine, &Summary::firstSlot, &Summary::lineCount,     &Summary::rowCount,
        &Summary::lastLine,  &Summary::lastSlot,  &Summary::rejectedCount, &Summary::gapCount};
    for (size_t i = 0; i < summaryFields_.size(); ++i) {
        summaryFields_[i]->setText(cp932ToQString(outcome.summary.*fields[i]));
        // A long line would otherwise show its end, not its start.
        summaryFields_[i]->setCursorPosition(0);
    }
}

void MainWindow::showRunMessages(const RunEnd& end) {
    const RunMessages& messages = end.messages;
    size_t shown = 0;
    for (const std::string& text : messages.texts) {
        ++shown;
        if (showCp932MessageOfferingToStop(this, text)) {
            break;
        }
    }
    if (const size_t unshown = messages.count - shown; unshown > 0) {
        showMessageBox(this, QMessageBox::Information,
                       tr("表示しなかったメッセージが %1 件あります。").arg(unshown));
    }
}
