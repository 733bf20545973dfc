// How long work tells its caller how far it got and what it noticed, and
// learns that it should stop: a report function, a notice sink and a stop
// token, so the same work runs on a window's worker thread (stopped by the
// progress dialog) and on the command line (never stopped) without knowing
// which.
#pragma once

#include "platform/notice.h"

#include <cstdint>
#include <functional>
#include <stop_token>

namespace kalvento {

struct Progress {
    // (done, total), in units the work names; may be empty.
    std::function<void(std::int64_t done, std::int64_t total)> report{};
    std::stop_token stop{};  // default: never requested
    NoticeSink notices{};    // default: nobody listens

    void operator()(std::int64_t done, std::int64_t total) const {
        if (report) report(done, total);
    }
    bool stop_requested() const { return stop.stop_requested(); }
};

}  // namespace kalvento
