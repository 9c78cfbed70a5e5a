#pragma once

#include <QTimer>

#include <chrono>

namespace cli {

class Session;

// The line pace: the transfer's own poll step, run as soon as it can act instead of on the next
// 50 ms tick. Input arriving, the 50 ms tick and the end of a gap each set it going; it steps on
// while a step moves the sequence, and stops where the sequence waits for a reply or for the gap.
class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    LinePacer(Session& session, int gapMs);

    void kick();

private:
    // True while the gap after the last complete reply has not yet passed; sets the timer for it.
    bool inGap();

    Session& m_session;
    std::chrono::milliseconds m_gap;
    QTimer m_gapTimer;
    // A read inside a step may report input again; that step reads it anyway.
    bool m_stepping = false;
    Clock::time_point m_replyAt;
};

}  // namespace cli
