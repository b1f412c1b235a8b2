// Live mode, the window's side: the watch started in place of a run, each
// update's patch taken onto the pages, the file's fate and the recorder's
// health in the status bar.
//
// The watch's first read is the run: it shows the run's progress, can be
// stopped like a run (live mode stays on for the next file), and ends as a
// run does, its messages and outputs included. From then on each update
// changes the pages in place and shows no box: nobody may be there to click.

#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
#include "app/LiveWatch.h"
#include "app/MessageBoxes.h"
#include "app/ReportRunner.h"
#include "app/SettingControls.h"
#include "app/ShowerPage.h"
#include "shared/IoError.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <tuple>

namespace {

QString clockText(WallClock::time_point time) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm"));
}

qint64 minutesSince(WallClock::time_point time) {
    return std::max<qint64>(
        0, std::chrono::duration_cast<std::chrono::minutes>(WallClock::now() - time).count());
}

QString errorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return errorMessageText(e);
    } catch (...) {
        return {};
    }
}

std::exception_ptr missingFileError(const std::string& name) {
    try {
        throwIoError(FileOperation::Open, name, ENOENT);
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace

bool MainWindow::isWatching() const {
    return live_->isWatching();
}

void MainWindow::setLiveStallTime(std::chrono::milliseconds stallAfter) {
    live_->setStallAfter(stallAfter);
    showLiveStatus();
}

void MainWindow::connectLive() {
    connect(liveAction_, &QAction::toggled, this,
            [this](bool on) { guarded([this, on] { liveToggled(on); }); });
    connect(live_, &LiveWatch::progressed, this, &MainWindow::showRunProgress);
    connect(live_, &LiveWatch::updated, this, &MainWindow::liveUpdateEnded);
    connect(live_, &LiveWatch::healthTicked, this, &MainWindow::liveHealthChanged);
    // Simplest and always right: a changed setting reads the file afresh.
    connect(settingControls_, &SettingControls::changed, this, [this] {
        if (live_->isWatching()) {
            startRun();
        }
    });
}

void MainWindow::liveToggled(bool on) {
    preferences_->setValue(QStringLiteral("liveMode"), on);
    if (!on) {
        stopWatch();
        return;
    }
    // The file of the pages is followed from now on; without one, the next
    // file opened is.
    if (!dataFileName_.empty() &&
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(dataFileName_))).isFile()) {
        startRun();
    }
}

void MainWindow::startWatch() {
    // The watch's first read takes the place of a run under way.
    runner_->stopAndWait();
    live_->start(
        LiveOrder{dataFileName_, settings_, QFile::encodeName(outputFolder_).toStdString()});
    showLiveStatus();
    setRunning(true);
    showRunProgress();
}

void MainWindow::stopWatch() {
    if (!live_->isWatching()) {
        return;
    }
    const bool reading = live_->isReadingWhole();
    live_->stop();
    showLiveStatus();
    if (tray_) {
        tray_->hide();
    }
    if (reading) {
        endRun(dataFileName_, false, {}, RunMessages(), nullptr, nullptr);
    }
}

void MainWindow::liveUpdateEnded() {
    LiveWatch::Outcome outcome = live_->takeOutcome();
    LivePatch* patch = outcome.patch ? &*outcome.patch : nullptr;
    if (outcome.first) {
        const LiveOrder order = live_->order();
        const bool done = patch && patch->whole;
        if (!done) {
            live_->stop(); // the file of the pages stays the one before
        }
        std::exception_ptr error = outcome.error ? outcome.error
                                   : done        ? patch->writeError
                                                 : missingFileError(order.dataFile);
        endRun(
            order.dataFile, done, [this, patch] { applyLivePatch(*patch); }, outcome.messages,
            error, done ? &patch->summary : nullptr);
    } else if (outcome.error) {
        statusBar()->showMessage(tr("ライブ: %1").arg(errorText(outcome.error)));
    } else if (patch) {
        noteFileChange(*patch);
        if (patch->changed) {
            guarded([this, patch] { applyLivePatch(*patch); });
        }
    }
    if (patch && patch->writeError && !outcome.first) {
        statusBar()->showMessage(tr("ライブ: %1").arg(errorText(patch->writeError)));
    }
    showLiveStatus();
    if (patch && patch->changed) {
        emit liveUpdated();
    }
}

void MainWindow::applyLivePatch(LivePatch& patch) {
    showSummary(patch.summary);
    applyLivePages(patch);
    applyLiveHours(patch);
    // Every page is the watch's, made with the settings it started with,
    // which are the window's: a change of them starts it afresh.
    textReportStale_ = false;
    rmobStale_ = false;
    rmobBuiltWith_ = pageSettingsOf(live_->order().settings);
    colorgrammeBuiltWith_ = rmobBuiltWith_;
    if (pages_->currentWidget() == showerPage_) {
        showShowers();
    }
    if (patch.whole) {
        markLaggingPages(); // the tabs' marks change only with the settings
    }
}

void MainWindow::applyLivePages(LivePatch& patch) {
    using Unit = LargeTextView::EditUnit;
    const std::tuple<LargeTextView*, PageChange&, Unit> pages[] = {
        {rawDataView_, patch.rawData, Unit::Bytes},
        {tenMinuteView_, patch.tenMinuteTable, Unit::Bytes},
        {hourView_, patch.hourTable, Unit::Bytes},
        {noObsView_, patch.noObsList, Unit::Bytes},
        {textReportView_, patch.textReport, Unit::Lines},
        {rmobView_, patch.rmob, Unit::Lines},
    };
    bool fits = true;
    for (const auto& [view, change, unit] : pages) {
        if (change.whole) {
            view->setText(std::move(*change.whole));
        } else {
            fits = view->applyEdits(change.edits, unit) && fits;
        }
    }
    if (patch.whole) {
        monthsFrom_.reset();
        laterMonths_.clear();
        colorgrammePage_->setMonths(std::move(patch.months));
    } else if (patch.firstChangedMonth) {
        keepMonthsForLater(patch);
        if (pages_->currentWidget() == colorgrammePage_) {
            bringColorgrammeUp();
        }
    }
    if (!fits) {
        // A page no longer held what the watch made it (a fault): read afresh.
        startRun();
    }
}

// The months from the first changed one on, merged with those kept before.
void MainWindow::keepMonthsForLater(LivePatch& patch) {
    const std::size_t from = *patch.firstChangedMonth;
    if (monthsFrom_ && from >= *monthsFrom_) {
        laterMonths_.resize(std::min(from - *monthsFrom_, laterMonths_.size()));
        laterMonths_.insert(laterMonths_.end(), std::make_move_iterator(patch.months.begin()),
                            std::make_move_iterator(patch.months.end()));
        return;
    }
    monthsFrom_ = from;
    laterMonths_ = std::move(patch.months);
}

void MainWindow::bringColorgrammeUp() {
    if (monthsFrom_) {
        colorgrammePage_->updateMonthsFrom(*monthsFrom_, std::move(laterMonths_));
        monthsFrom_.reset();
        laterMonths_.clear();
    }
}

void MainWindow::applyLiveHours(LivePatch& patch) {
    if (patch.hours) {
        hours_ = std::move(*patch.hours);
    } else if (patch.hoursChanged && patch.keptHours <= hours_.hours().size()) {
        hours_ = std::move(hours_).withTail(patch.keptHours, patch.hourRows);
    } else if (patch.hoursChanged) {
        startRun();
    }
}

void MainWindow::noteFileChange(const LivePatch& patch) {
    const QString name =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(live_->order().dataFile))).fileName();
    QString note;
    if (patch.file.state == FileState::ReadAgain) {
        switch (patch.file.cause) {
        case ReadAgainCause::Shrunk:
            note = tr("ライブ: %1 が短くなりました。最初から読み直しました。").arg(name);
            break;
        case ReadAgainCause::Replaced:
            note = tr("ライブ: %1 が置き換えられました。最初から読み直しました。").arg(name);
            break;
        case ReadAgainCause::Changed:
            note = tr("ライブ: %1 の前の部分が変わりました。最初から読み直しました。").arg(name);
            break;
        case ReadAgainCause::FirstRead:
            break;
        }
    }
    if (patch.file.back) {
        note =
            tr("ライブ: %1 が戻りました。").arg(name) + (note.isEmpty() ? QString() : u' ' + note);
    }
    if (!note.isEmpty()) {
        statusBar()->showMessage(note);
    }
}

// The status bar's note of the watch: when the last line came, or, in a
// warning colour, that the file is gone or no line has come for too long.
void MainWindow::showLiveStatus() {
    if (!live_->isWatching() || live_->isReadingWhole() ||
        (!live_->hasHealth() && !live_->fileMissing())) {
        liveStatus_->hide();
        return;
    }
    const RecorderHealth& health = live_->health();
    const QString last = clockText(health.lastArrival());
    const qint64 minutes = minutesSince(health.lastArrival());
    QString text = tr("ライブ: 最終行 %1 (%2 分前)").arg(last).arg(minutes);
    bool warn = true;
    if (live_->fileMissing()) {
        text = tr("ライブ: %1 がありません。最後の内容を表示しています。")
                   .arg(QFileInfo(
                            QFile::decodeName(QByteArray::fromStdString(live_->order().dataFile)))
                            .fileName());
    } else if (health.stalled()) {
        text = tr("ライブ: %1 から新しい行が来ていません").arg(last);
    } else {
        warn = false;
    }
    // Set only when it changes: each change lays out the status bar again.
    const QString style =
        warn ? QStringLiteral("QLabel { color: white; background: #c62828; padding: 0 6px; "
                              "font-weight: bold; }")
             : QString();
    if (liveStatus_->styleSheet() != style) {
        liveStatus_->setStyleSheet(style);
    }
    if (liveStatus_->text() != text) {
        liveStatus_->setText(text);
    }
    liveStatus_->show();
}

void MainWindow::liveHealthChanged(HealthChange change) {
    showLiveStatus();
    if (change == HealthChange::Stalled && QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!tray_) {
            tray_ = new QSystemTrayIcon(windowIcon(), this);
        }
        tray_->show();
        tray_->showMessage(windowTitle(), liveStatus_->text(), QSystemTrayIcon::Warning);
    } else if (change == HealthChange::Resumed && tray_) {
        tray_->hide();
    }
}
