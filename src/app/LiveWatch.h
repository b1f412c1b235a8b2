#pragma once
// The window's live mode: follows one data file while a recorder appends to
// it. The watch wakes when the file or its folder changes (a recorder may
// replace the file) and every few seconds besides (shares that tell
// nothing); each wake runs one update of its LiveJob on a worker thread, and
// a wake during an update runs one more after it. The window hears
// updated() and takes the update's outcome: a patch to apply to its pages,
// or the error that stopped it. The first update reads the whole file, with
// its progress (progressed()) and the cancel of a run.
//
// The recorder's health is kept here: when the last line came, and whether
// none has come for longer than the stall time. healthTicked() comes at
// every minute since the last line and at the stall, so a status line
// saying "N min ago" stays true without waking more often.
//
// Threads: the job, its live run and the outcome are the worker's while an
// update runs and the window's once the worker has been joined (WorkerThread);
// cancel and progress pass through atomics.

#include "app/LiveJob.h"
#include "pipeline/RecorderHealth.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>

class QFileSystemWatcher;
class QTimer;
class WorkerThread;

class LiveWatch : public QObject {
    Q_OBJECT
public:
    explicit LiveWatch(QObject* parent = nullptr);
    ~LiveWatch() override;

    // Follows the order's file afresh; a watch under way stops first (an
    // update of it under way is cancelled and not heard of).
    void start(LiveOrder order);
    // Stops following and waits for an update under way.
    void stop();
    bool isWatching() const { return watch_ != nullptr; }
    const LiveOrder& order() const;
    // The first update of the watch, which reads the whole file, goes on.
    bool isReadingWhole() const;
    double fraction() const; // of that read

    struct Outcome {
        bool first = false; // the watch's first update
        std::optional<LivePatch> patch;
        std::exception_ptr error; // IoError of the file; none when cancelled
        bool cancelled = false;
        RunMessages messages; // of this update's implausible lines
    };
    // The update that ended; call once after updated().
    Outcome takeOutcome();

    const RecorderHealth& health() const { return health_; }
    // The health is known once the file has been read.
    bool hasHealth() const { return healthStarted_; }
    // The file was missing at the last update.
    bool fileMissing() const { return missing_; }
    // How long no line may come before the recorder counts as stalled.
    void setStallAfter(std::chrono::milliseconds stallAfter);

    static constexpr std::chrono::milliseconds kPollEvery{3000};

signals:
    void progressed();
    void updated();
    void healthTicked(HealthChange change);

private:
    struct Watch;

    void wake();
    void launch();
    void workerFinished();
    void keepWatching();
    void noteHealth(const Outcome& outcome);
    void tickHealth();
    void scheduleHealthTick();

    QFileSystemWatcher* watcher_;
    QTimer* poll_;
    QTimer* healthTimer_;
    WorkerThread* worker_;
    std::shared_ptr<Watch> watch_;   // the watch
    std::shared_ptr<Watch> running_; // the watch whose update is on the worker
    bool again_ = false;             // a wake came during the update
    std::optional<Outcome> outcome_;
    RecorderHealth health_;
    bool healthStarted_ = false; // once the file was first read
    bool missing_ = false;
};
