#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace cli {

// SIGINT and SIGTERM as events of the event loop: the handler only notes the signal, so the step
// under way runs to its end before the front end hears of it. The default handling comes back
// when this goes.
class StopSignals {
public:
    explicit StopSignals(std::function<void(int signal)> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::function<void(int)> m_onStop;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace cli
