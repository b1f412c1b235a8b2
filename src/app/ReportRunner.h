#pragma once
// The window's runs, one at a time, each on a worker thread (RunJob). The
// window starts a run and hears progressed() while it goes and ended() once
// it has ended, done, cancelled or failed; takeEnd() then gives what it left.
// Starting a run while one goes cancels that one: the new run starts once the
// old one has stopped, and the old one's end is not heard of. cancel() stops
// the run under way at its next check; stopAndWait() does so and waits, for a
// window that closes.
//
// Cancel and progress pass through atomics of the run's task, read and set on
// either side; everything else of the task is the window's until the worker
// starts and the worker's until it has been joined.

#include "app/RunJob.h"

#include <QObject>

#include <atomic>
#include <exception>
#include <memory>
#include <optional>

class WorkerThread;

struct RunEnd {
    enum class Kind { Done, Cancelled, Failed };
    Kind kind = Kind::Failed;
    RunOrder order;
    std::optional<RunOutcome> outcome; // when done
    std::exception_ptr error;          // when failed
    RunMessages messages;
};

class ReportRunner : public QObject {
    Q_OBJECT
public:
    explicit ReportRunner(QObject* parent = nullptr);
    ~ReportRunner() override;

    void start(RunOrder order);
    void cancel();
    void stopAndWait();
    bool isRunning() const { return task_ != nullptr; }

    // How far the run under way has come.
    JobStep step() const;
    double fraction() const;

    // The run that ended; call once after ended().
    RunEnd takeEnd();

signals:
    void progressed();
    void ended();

private:
    struct Task;

    void launch(RunOrder order);
    void workerFinished();

    WorkerThread* worker_;
    std::shared_ptr<Task> task_; // the run under way
    std::optional<RunOrder> next_;
    std::optional<RunEnd> end_;
};
