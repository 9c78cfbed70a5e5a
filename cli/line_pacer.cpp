#include "cli/line_pacer.h"

#include "cli/session.h"

namespace cli {

LinePacer::LinePacer(Session& session, int gapMs) : m_session(session), m_gap(gapMs) {
    m_gapTimer.setSingleShot(true);
    m_gapTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_gapTimer, &QTimer::timeout, [this] { kick(); });
    m_session.onPollTick([this] { kick(); });
    m_session.port().onInputArrived([this] { kick(); });
}

bool LinePacer::inGap() {
    // A complete reply that is still the last one means the next step sends a command.
    if (m_gap.count() == 0 || !m_session.transfer().reply().complete()) {
        return false;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(m_replyAt + m_gap - Clock::now());
    if (left.count() <= 0) {
        return false;
    }
    if (!m_gapTimer.isActive()) {
        m_gapTimer.start(left);
    }
    return true;
}

void LinePacer::kick() {
    if (m_stepping) {
        return;
    }
    m_stepping = true;
    const gauge::Transfer& transfer = m_session.transfer();
    while (transfer.running() && !inGap()) {
        const std::int16_t before = transfer.state();
        m_session.pollStep();
        if (transfer.state() == before) {
            break;
        }
        if (transfer.reply().complete()) {
            m_replyAt = Clock::now();
        }
    }
    m_stepping = false;
}

}  // namespace cli
