#include "Wakeups.h"

#include "shared/IoError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// What becomes of a file that a recorder appends to, an editor saves over
// or someone removes; and of the folder itself.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
                                        IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR;

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN) != 0;
}

} // namespace

Wakeups::Wakeups(const std::string& file) {
    const std::filesystem::path path(file);
    folder_ = path.has_parent_path() ? path.parent_path().string() : ".";
    name_ = path.filename().string();
    const sigset_t set = stopSignals();
    if (const int err = pthread_sigmask(SIG_BLOCK, &set, &previousMask_); err != 0) {
        throw IoError(std::string("Cannot take the stop signals: ") + std::strerror(err));
    }
    signals_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals_ < 0) {
        const int err = errno;
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw IoError(std::string("Cannot take the stop signals: ") + std::strerror(err));
    }
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    watchFolder();
}

Wakeups::~Wakeups() {
    // A stop signal still waiting would end the process with the default
    // action once unblocked: it was seen, so it is taken here.
    signalfd_siginfo info;
    while (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    ::close(signals_);
    if (inotify_ >= 0) {
        ::close(inotify_);
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void Wakeups::watchFolder() {
    if (inotify_ >= 0 && watch_ < 0) {
        watch_ = inotify_add_watch(inotify_, folder_.c_str(), kFolderEvents);
    }
}

// Reads every event waiting; true when one was about the file (or events
// were lost, which may have been).
bool Wakeups::takeFileEvents() {
    alignas(inotify_event) char buffer[8192];
    bool aboutFile = false;
    for (;;) {
        const ssize_t length = ::read(inotify_, buffer, sizeof buffer);
        if (length <= 0) {
            return aboutFile;
        }
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & IN_IGNORED) != 0) {
                watch_ = -1; // the folder is gone; watched again once back
                aboutFile = true;
            } else if ((event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF)) != 0 ||
                       (event->len > 0 && name_ == event->name)) {
                aboutFile = true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

WakeReason Wakeups::wait(std::chrono::milliseconds timeout) {
    watchFolder();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fds[2] = {{signals_, POLLIN, 0}, {inotify_, POLLIN, 0}};
        const int ready = ::poll(fds, inotify_ >= 0 ? 2 : 1,
                                 static_cast<int>(std::clamp<std::int64_t>(
                                     left.count() + 1, 0, std::int64_t{24} * 3600 * 1000)));
        if (ready < 0 && errno != EINTR) {
            throwIoError(FileOperation::Read, "the watch's wake-ups", errno);
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return WakeReason::Stop;
        }
        // Changes of other files in the folder (the outputs, when they are
        // written beside the data file) are read and slept through.
        if ((fds[1].revents & POLLIN) != 0 && takeFileEvents()) {
            return WakeReason::FileChanged;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WakeReason::TimeUp;
        }
    }
}

bool Wakeups::stopRequested() const {
    return readable(signals_, 0);
}
