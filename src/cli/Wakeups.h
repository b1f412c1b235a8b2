#pragma once
// What a watch sleeps on: it wakes when its data file's folder reports a
// change of that file (inotify), when SIGINT or SIGTERM comes, or when the
// time it gave runs out, and uses no processor in between. The signals are
// blocked while the object lives and read from a signalfd, so a stop never
// interrupts a write half done: the watch sees it at its next wait (or asks
// stopRequested() during a long read). A folder that reports nothing (a
// network share) or cannot be watched leaves the time limit, which the caller
// keeps short enough for a poll. Linux only.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>

enum class WakeReason : std::uint8_t { FileChanged, TimeUp, Stop };

class Wakeups {
public:
    // Watches the folder of `file` for changes of that name. IoError when
    // the signals cannot be taken.
    explicit Wakeups(const std::string& file);
    ~Wakeups();
    Wakeups(const Wakeups&) = delete;
    Wakeups& operator=(const Wakeups&) = delete;

    // Sleeps until one of the reasons, at most `timeout`.
    WakeReason wait(std::chrono::milliseconds timeout);
    // Whether a stop signal is waiting (it stays waiting).
    bool stopRequested() const;
    // Whether the folder is watched (else only the time wakes for the file).
    bool watching() const { return watch_ >= 0; }

private:
    void watchFolder();
    bool takeFileEvents();

    std::string folder_;
    std::string name_;
    int inotify_ = -1;
    int watch_ = -1;
    int signals_ = -1;
    sigset_t previousMask_{};
};
