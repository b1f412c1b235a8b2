#include "app/WorkerThread.h"

#include <utility>

WorkerThread::~WorkerThread() {
    wait();
}

void WorkerThread::start(std::function<void()> work) {
    wait();
    ended_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this, work = std::move(work)] {
        work();
        ended_.store(true, std::memory_order_release);
        // By name: the queued call is made inside Qt and carries nothing.
        QMetaObject::invokeMethod(this, "takeEnd", Qt::QueuedConnection);
    });
}

void WorkerThread::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WorkerThread::notify() {
    if (!newsPending_.exchange(true, std::memory_order_acq_rel)) {
        QMetaObject::invokeMethod(this, "takeNews", Qt::QueuedConnection);
    }
}

void WorkerThread::takeNews() {
    newsPending_.store(false, std::memory_order_release);
    if (thread_.joinable()) {
        emit notified();
    }
}

void WorkerThread::takeEnd() {
    // The end of work already waited for, or of work before the one now
    // running, is no news.
    if (!thread_.joinable() || !ended_.load(std::memory_order_acquire)) {
        return;
    }
    thread_.join();
    emit finished();
}
