#include "app/LiveWatch.h"

#include "app/WorkerThread.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

using std::chrono::milliseconds;

// One watch. The job and the update's results are the worker's while an
// update runs; firstDone is the window's.
struct LiveWatch::Watch {
    explicit Watch(LiveOrder order) : order(std::move(order)) {}

    LiveOrder order;
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    std::unique_ptr<LiveJob> job;
    RunMessages messages; // the job's, gathered during an update
    Outcome out;
    bool firstDone = false;
};

LiveWatch::LiveWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), poll_(new QTimer(this)),
      healthTimer_(new QTimer(this)), worker_(new WorkerThread(this)) {
    poll_->setInterval(kPollEvery);
    healthTimer_->setSingleShot(true);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &LiveWatch::wake);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &LiveWatch::wake);
    connect(poll_, &QTimer::timeout, this, &LiveWatch::wake);
    connect(healthTimer_, &QTimer::timeout, this, &LiveWatch::tickHealth);
    connect(worker_, &WorkerThread::notified, this, &LiveWatch::progressed);
    connect(worker_, &WorkerThread::finished, this, &LiveWatch::workerFinished);
}

LiveWatch::~LiveWatch() {
    stop();
}

void LiveWatch::start(LiveOrder order) {
    if (watch_) {
        watch_->cancel.store(true, std::memory_order_relaxed);
    }
    watch_ = std::make_shared<Watch>(std::move(order));
    outcome_.reset();
    again_ = false;
    missing_ = false;
    health_ = RecorderHealth(health_.stallAfter());
    healthStarted_ = false;
    healthTimer_->stop();
    for (const QStringList& paths : {watcher_->files(), watcher_->directories()}) {
        if (!paths.isEmpty()) {
            watcher_->removePaths(paths);
        }
    }
    keepWatching();
    poll_->start();
    if (!running_) {
        launch();
    } // otherwise once the update under way has stopped
}

void LiveWatch::stop() {
    if (watch_) {
        watch_->cancel.store(true, std::memory_order_relaxed);
    }
    worker_->wait();
    running_.reset();
    watch_.reset();
    outcome_.reset();
    poll_->stop();
    healthTimer_->stop();
}

const LiveOrder& LiveWatch::order() const {
    return watch_->order;
}

bool LiveWatch::isReadingWhole() const {
    return watch_ && !watch_->firstDone;
}

double LiveWatch::fraction() const {
    return watch_ ? watch_->permille.load(std::memory_order_relaxed) / 1000.0 : 1.0;
}

LiveWatch::Outcome LiveWatch::takeOutcome() {
    Outcome outcome = std::move(outcome_.value());
    outcome_.reset();
    return outcome;
}

void LiveWatch::setStallAfter(milliseconds stallAfter) {
    RecorderHealth health(stallAfter);
    health.start(health_.lastArrival(), health_.lastSlot());
    health_ = health;
    scheduleHealthTick();
}

void LiveWatch::wake() {
    if (!watch_) {
        return;
    }
    if (running_) {
        again_ = true;
        return;
    }
    launch();
}

void LiveWatch::launch() {
    running_ = watch_;
    again_ = false;
    worker_->start([watch = running_.get(), worker = worker_] {
        if (!watch->job) {
            JobControl control;
            control.cancelled = [watch] { return watch->cancel.load(std::memory_order_relaxed); };
            control.progress = [watch, worker](JobStep, double fraction) {
                const int permille = static_cast<int>(std::lround(fraction * 1000));
                if (watch->permille.exchange(permille, std::memory_order_relaxed) != permille) {
                    worker->notify();
                }
            };
            watch->job = std::make_unique<LiveJob>(watch->order, control, watch->messages);
        }
        Outcome& out = watch->out;
        out = Outcome();
        try {
            out.patch = watch->job->update();
        } catch (const RunCancelled&) {
            out.cancelled = true;
        } catch (...) {
            out.error = std::current_exception();
        }
        out.messages = std::exchange(watch->messages, RunMessages());
    });
}

void LiveWatch::workerFinished() {
    const std::shared_ptr<Watch> done = std::move(running_);
    if (done != watch_) {
        // Replaced meanwhile: what it brought is not heard of.
        if (watch_) {
            launch();
        }
        return;
    }
    Outcome outcome = std::exchange(done->out, Outcome());
    outcome.first = !done->firstDone;
    done->firstDone = true;
    if (outcome.patch) {
        missing_ = outcome.patch->file.state == FileState::Missing;
    }
    keepWatching();
    outcome_ = std::move(outcome);
    noteHealth(*outcome_);
    emit updated();
    // The window may have stopped or restarted the watch meanwhile.
    if (again_ && watch_ == done && !running_) {
        launch();
    }
}

// The file (again, once a recorder replaced it) and its folder.
void LiveWatch::keepWatching() {
    const QString file = QFile::decodeName(QByteArray::fromStdString(watch_->order.dataFile));
    const QString folder = QFileInfo(file).absolutePath();
    if (!watcher_->directories().contains(folder) && QFileInfo(folder).isDir()) {
        watcher_->addPath(folder);
    }
    if (!watcher_->files().contains(file) && QFileInfo(file).isFile()) {
        watcher_->addPath(file);
    }
}

void LiveWatch::noteHealth(const Outcome& outcome) {
    if (!outcome.patch) {
        return;
    }
    const LivePatch& patch = *outcome.patch;
    const WallClock::time_point now = WallClock::now();
    HealthChange change = HealthChange::None;
    if (!healthStarted_ && patch.whole) {
        // The file's last change is the best guess of when its last line came.
        health_.start(std::min(patch.modified, now), patch.lastSlot);
        healthStarted_ = true;
    } else if (healthStarted_ && patch.linesRead > 0) {
        change = health_.linesArrived(now, patch.lastSlot);
    }
    if (change == HealthChange::None && healthStarted_) {
        change = health_.check(now);
    }
    scheduleHealthTick();
    if (change != HealthChange::None) {
        emit healthTicked(change);
    }
}

void LiveWatch::tickHealth() {
    const HealthChange change = health_.check(WallClock::now());
    scheduleHealthTick();
    emit healthTicked(change);
}

// At the next whole minute since the last line, or at the stall if sooner.
void LiveWatch::scheduleHealthTick() {
    if (!healthStarted_ || !watch_) {
        return;
    }
    const WallClock::time_point now = WallClock::now();
    const auto since = std::max(
        milliseconds(0), std::chrono::duration_cast<milliseconds>(now - health_.lastArrival()));
    const milliseconds minute(60000);
    milliseconds wait = minute - since % minute;
    if (!health_.stalled()) {
        // One tick past the stall time: check() wants it passed, not reached.
        const auto untilStall =
            std::chrono::ceil<milliseconds>(health_.stallTime() - now) + milliseconds(1);
        wait = std::min(wait, std::max(untilStall, milliseconds(0)));
    }
    healthTimer_->start(wait);
}
