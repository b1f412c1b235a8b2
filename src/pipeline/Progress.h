#pragma once
// How far a long run has come, and the user's wish to stop it. A front end
// gives one to the recompute: the pipeline names each step (code page 932
// bytes) with the share of the whole run done, and asks between steps and
// every few thousand rows whether to stop. A stopped run throws
// RecomputeCancelled before it has changed the workspace or written a file.

#include <functional>
#include <stdexcept>
#include <string>

struct Progress {
    std::function<void(const std::string& step, double fraction)> report;
    std::function<bool()> cancelRequested;

    void operator()(const std::string& step, double fraction) const {
        if (report) {
            report(step, fraction);
        }
    }
    bool cancelled() const { return cancelRequested && cancelRequested(); }
};

class RecomputeCancelled : public std::runtime_error {
public:
    RecomputeCancelled() : std::runtime_error("recompute cancelled") {}
};
