#include "gauge/watchdog.h"

#include "view/view.h"

namespace gauge {

void Watchdog::start() {
    m_view.setTimerPeriod(view::Timer::tmrCheckTimeout, kPeriodMilliseconds);
    m_view.setTimerRunning(view::Timer::tmrCheckTimeout, true);
}

void Watchdog::stop() {
    m_view.setTimerRunning(view::Timer::tmrCheckTimeout, false);
}

void Watchdog::restart() {
    stop();
    start();
}

}  // namespace gauge
