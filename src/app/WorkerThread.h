#pragma once
// A piece of long work on a thread of its own, for a window that never waits:
// start() hands the work over, the work calls notify() when it has news (its
// progress, kept by the caller in atomics), and the window hears of the news
// and of the end by the signals notified() and finished(), queued to its own
// thread. Nothing else passes between the threads: the work's results are
// read after finished(), when the thread has been joined.
//
// Threads and hand-overs are the standard library's and the signals carry no
// data, because Qt is not built with ThreadSanitizer here: a result handed
// through Qt's queues (QtConcurrent, a queued signal's arguments) shows up as
// a data race under `make tsan-test`, while a joined std::thread does not.
//
// The destructor waits for the work; the work must watch a cancel flag of its
// owner's so that this takes moments.

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

class WorkerThread : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr) : QObject(parent) {}
    ~WorkerThread() override;

    // Runs work on a new thread; the work before must have ended (wait()).
    void start(std::function<void()> work);
    bool isRunning() const { return thread_.joinable(); }
    // Waits for the work to end; finished() then does not come for it.
    void wait();

    // Called by the work: notified() comes once for any number of calls made
    // before it is handled.
    void notify();

signals:
    void notified();
    void finished();

private:
    Q_INVOKABLE void takeNews();
    Q_INVOKABLE void takeEnd();

    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> newsPending_{false};
};
