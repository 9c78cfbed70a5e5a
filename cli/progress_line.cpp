#include "cli/progress_line.h"

#include <cmath>
#include <string>

#include "gauge/transfer.h"
#include "serial/port_selection.h"

namespace cli {

ProgressLine::ProgressLine(const gauge::Transfer& transfer, driver::Pace pace, std::FILE* terminal)
    : m_transfer(transfer), m_pace(pace), m_terminal(terminal), m_since(Clock::now()) {}

void ProgressLine::redraw(Clock::time_point now) {
    if (!m_transfer.running()) {
        return;
    }
    const bool inMemory = m_transfer.state() >= gauge::Transfer::kMemoryFirstState;
    const int announced = m_transfer.announcedCount();
    const int received = m_transfer.receivedCount();
    // The memory section's count starts the received count afresh.
    if ((inMemory && !m_sawMemory) || received < m_receivedThen) {
        m_sawMemory = inMemory;
        m_since = now;
        m_receivedThen = received;
    }
    const double seconds = std::chrono::duration<double>(now - m_since).count();
    const double rate = seconds > 0 ? (received - m_receivedThen) / seconds : 0.0;

    // At the poll pace each point takes two ticks; at the line pace the rate so far tells.
    const int left = announced > received ? announced - received : 0;
    double secondsLeft = 0;
    if (m_pace == driver::Pace::Poll) {
        secondsLeft = left * 2.0 * serial::kPollPeriodMs / 1000.0;
    } else if (rate > 0) {
        secondsLeft = left / rate;
    }
    const int percent = announced > 0 ? static_cast<int>(100LL * received / announced) : 0;
    const long whole = std::lround(secondsLeft);
    const std::string timeLeft = secondsLeft > 0 || left == 0
                                     ? std::to_string(whole / 60) + ":" +
                                           (whole % 60 < 10 ? "0" : "") + std::to_string(whole % 60)
                                     : std::string("-:--");
    std::fprintf(m_terminal, "\r\033[K%s: %d of %d points, %d %%, %.0f points/s, %s left",
                 inMemory ? "memory" : "statistics", received, announced, percent, rate,
                 timeLeft.c_str());
    std::fflush(m_terminal);
}

void ProgressLine::clear() {
    std::fputs("\r\033[K", m_terminal);
    std::fflush(m_terminal);
}

}  // namespace cli
