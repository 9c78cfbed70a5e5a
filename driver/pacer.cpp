#include "driver/pacer.h"

#include <cstdint>

#include "gauge/transfer.h"
#include "serial/port_selection.h"
#include "view/view.h"

namespace driver {

namespace {

// Lets go of the flag however the steps end, also when the view throws inside one.
class Stepping {
public:
    explicit Stepping(bool& flag) : m_flag(flag) { m_flag = true; }
    Stepping(const Stepping&) = delete;
    Stepping& operator=(const Stepping&) = delete;
    ~Stepping() { m_flag = false; }

private:
    bool& m_flag;
};

}  // namespace

Pacer::Pacer(view::View& view, gauge::Transfer& transfer, const serial::PortState& portState)
    : m_view(view), m_transfer(transfer), m_portState(portState) {}

void Pacer::begin(Pace pace, int gapMs) {
    m_pace = pace;
    m_gapMs = gapMs;
    endGap();
    stepWhileItMoves();
}

void Pacer::pollTick() {
    if (m_pace == Pace::Poll) {
        m_transfer.pollTick(m_portState.valid);
        return;
    }
    stepWhileItMoves();
}

void Pacer::gapTick() {
    endGap();
    stepWhileItMoves();
}

void Pacer::inputArrived() {
    stepWhileItMoves();
}

void Pacer::endGap() {
    if (m_inGap) {
        m_inGap = false;
        m_view.setTimerRunning(view::Timer::tmrReplyGap, false);
    }
}

void Pacer::stepWhileItMoves() {
    if (m_pace != Pace::Line || m_inGap || m_stepping) {
        return;
    }
    const Stepping stepping(m_stepping);
    while (m_transfer.running()) {
        const std::int16_t before = m_transfer.state();
        m_transfer.pollTick(m_portState.valid);
        if (m_transfer.state() == before) {
            return;
        }
        // A reply still complete after the step was taken by it: the next step sends a command.
        if (m_gapMs > 0 && m_transfer.running() && m_transfer.reply().complete()) {
            m_inGap = true;
            m_view.setTimerPeriod(view::Timer::tmrReplyGap, m_gapMs);
            m_view.setTimerRunning(view::Timer::tmrReplyGap, true);
            return;
        }
    }
}

}  // namespace driver
