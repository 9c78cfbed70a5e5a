#pragma once

#include <QObject>

#include <cstdio>
#include <functional>
#include <memory>

namespace cli {

// SIGINT and SIGTERM (on Windows: Ctrl+C and Ctrl+Break) as events of the event loop: the handler
// only notes the stop, so the step under way runs to its end before the front end hears of it.
// The default handling comes back when this goes.
class StopSignals {
public:
    explicit StopSignals(std::function<void(int signal)> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The stop as it reaches the event loop's thread.
    void deliver(int signal) const;

private:
    std::function<void(int)> m_onStop;
    // What wakes the event loop: a notifier on the signal pipe (POSIX only).
    std::unique_ptr<QObject> m_waker;
};

// Whether the stream is a terminal that a progress line may redraw in place.
bool isTerminal(std::FILE* stream);

}  // namespace cli
