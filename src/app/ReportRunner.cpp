#include "app/ReportRunner.h"

#include "app/WorkerThread.h"

#include <cmath>
#include <utility>

struct ReportRunner::Task {
    explicit Task(RunOrder order) { end.order = std::move(order); }

    std::atomic<bool> cancel{false};
    std::atomic<int> step{0};
    std::atomic<int> permille{0};
    RunEnd end; // the order in, the rest out
};

ReportRunner::ReportRunner(QObject* parent) : QObject(parent), worker_(new WorkerThread(this)) {
    connect(worker_, &WorkerThread::notified, this, &ReportRunner::progressed);
    connect(worker_, &WorkerThread::finished, this, &ReportRunner::workerFinished);
}

ReportRunner::~ReportRunner() {
    stopAndWait();
}

void ReportRunner::start(RunOrder order) {
    if (task_) {
        task_->cancel.store(true, std::memory_order_relaxed);
        next_ = std::move(order);
        return;
    }
    launch(std::move(order));
}

void ReportRunner::cancel() {
    next_.reset();
    if (task_) {
        task_->cancel.store(true, std::memory_order_relaxed);
    }
}

void ReportRunner::stopAndWait() {
    cancel();
    worker_->wait();
    task_.reset();
}

JobStep ReportRunner::step() const {
    return task_ ? static_cast<JobStep>(task_->step.load(std::memory_order_relaxed))
                 : JobStep::Writing;
}

double ReportRunner::fraction() const {
    return task_ ? task_->permille.load(std::memory_order_relaxed) / 1000.0 : 1.0;
}

RunEnd ReportRunner::takeEnd() {
    RunEnd end = std::move(end_.value());
    end_.reset();
    return end;
}

void ReportRunner::launch(RunOrder order) {
    task_ = std::make_shared<Task>(std::move(order));
    worker_->start([task = task_, worker = worker_] {
        JobControl control;
        control.cancelled = [&task] { return task->cancel.load(std::memory_order_relaxed); };
        control.progress = [&task, worker](JobStep step, double fraction) {
            const int permille = static_cast<int>(std::lround(fraction * 1000));
            const int before = task->permille.exchange(permille, std::memory_order_relaxed);
            const int stepBefore =
                task->step.exchange(static_cast<int>(step), std::memory_order_relaxed);
            if (permille != before || stepBefore != static_cast<int>(step)) {
                worker->notify();
            }
        };
        RunEnd& end = task->end;
        try {
            end.outcome = runJob(end.order, control, end.messages);
            end.kind = RunEnd::Kind::Done;
        } catch (const RunCancelled&) {
            end.kind = RunEnd::Kind::Cancelled;
        } catch (...) {
            end.kind = RunEnd::Kind::Failed;
            end.error = std::current_exception();
        }
    });
}

void ReportRunner::workerFinished() {
    const std::shared_ptr<Task> task = std::move(task_);
    if (next_) {
        // Superseded: whatever it brought, the newer run replaces it.
        RunOrder order = std::move(*next_);
        next_.reset();
        launch(std::move(order));
        return;
    }
    end_ = std::move(task->end);
    emit ended();
}
