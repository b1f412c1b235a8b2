// The window's side of a recompute: the status bar's progress and its cancel
// button, and the run that reports to them.
#include "app/MainWindow.h"

#include "app/BusyGuard.h"
#include "app/CoreTexts.h"
#include "app/MessageBoxes.h"
#include "app/TextView.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

Recompute MainWindow::pipeline(const Progress& progress, RecomputeView* view) {
    // The outputs are relative names: a chosen folder is made current again
    // before each run, should anything have moved away from it.
    if (!outputFolder_.isEmpty() && QDir::currentPath() != outputFolder_) {
        QDir::setCurrent(outputFolder_);
    }
    showOutputFolder();
    // The window keeps the ten-minute table's bytes, not its rows: its page
    // and its button need nothing else.
    return Recompute(workspace_, view ? *view : *this, progress, RowRetention::KeepTableText);
}

void MainWindow::buildProgressWidgets() {
    progressStep = new QLabel(this);
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 1000);
    progressBar->setMaximumWidth(160);
    cancelButton = new QPushButton(tr("中止"), this);
    // The one control that works while the window is busy.
    cancelButton->setProperty(BusyGuard::kPassThrough, true);
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    for (QWidget* widget : {static_cast<QWidget*>(progressStep), static_cast<QWidget*>(progressBar),
                            static_cast<QWidget*>(cancelButton)}) {
        statusBar()->addPermanentWidget(widget);
        widget->hide();
    }
}

void MainWindow::showProgress(const std::string& cp932Step, double fraction) {
    const bool running = fraction < 1.0;
    progressStep->setText(coreTextForDisplay(cp932Step));
    progressBar->setValue(static_cast<int>(fraction * 1000));
    progressStep->setVisible(running);
    progressBar->setVisible(running);
    cancelButton->setVisible(running);
    // A new step may begin with work that reports nothing (writing a table
    // of hours, say): the window comes round before it rather than up to a
    // breath later.
    if (cp932Step != shownStep_) {
        shownStep_ = cp932Step;
        BusyGuard::comeRound();
    } else {
        BusyGuard::breathe();
    }
}

void MainWindow::recompute() {
    // Stale first: a run that fails part way has changed the hour rows all the same.
    colorgrammeStale_ = true;
    messageRun_ = MessageRun{true, false, 0};
    const auto endMessageRun = [this] {
        const int unshown = messageRun_.unshown;
        messageRun_ = MessageRun{};
        if (unshown > 0) {
            showMessageBox(this, QMessageBox::Information,
                           tr("表示しなかったメッセージが %1 件あります。").arg(unshown));
        }
    };
    cancelRequested_ = false;
    lastRunCancelled_ = false;
    Progress progress;
    progress.report = [this](const std::string& step, double fraction) {
        showProgress(step, fraction);
    };
    progress.cancelRequested = [this] { return cancelRequested_; };
    try {
        const BusyGuard busy(this);
        pipeline(progress).recompute(dialogFileName_);
        // Part of the run: the window takes no input until the months are built.
        rebuildColorgramme();
    } catch (const RecomputeCancelled&) {
        lastRunCancelled_ = true;
        showProgress(std::string(), 1.0);
        dialogFileName_ = completedFileName_;
        setDataFileName(completedFileName_);
        endMessageRun();
        statusBar()->showMessage(tr("計算を中止しました。前のデータのままです。"), 10000);
        return;
    } catch (...) {
        showProgress(std::string(), 1.0);
        completedFileName_ = dialogFileName_;
        endMessageRun();
        throw;
    }
    completedFileName_ = dialogFileName_;
    endMessageRun();
}
