#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "tools/gauge_model.h"
#include "tools/sim_options.h"
#include "tools/sim_pacer.h"

namespace gaugesim {

// The gauge's end of the line: reads commands from the pty master, answers through the model and
// sends the replies paced. Sleeps in poll() whenever nothing is due.
class SimLine {
public:
    // stopFd becomes readable when the simulator is asked to end (a signal's self-pipe).
    SimLine(int masterFd, int stopFd, const SimOptions& options);

    // Serves the line until stopFd is readable; throws std::runtime_error when the pty fails.
    void run();

private:
    using Clock = Pacer::Clock;

    void readCommands(Clock::time_point now);
    void takeCommandByte(char byte, Clock::time_point now);
    void sendDue(Clock::time_point now);
    // How long poll may wait: nothing when no byte is due, at the nanosecond otherwise.
    std::optional<timespec> pollTimeout(Clock::time_point now) const;

    int m_masterFd;
    int m_stopFd;
    GaugeModel m_gauge;
    Pacer m_pacer;
    bool m_log;
    std::optional<std::string> m_lateText;
    std::chrono::milliseconds m_lateAfter;
    std::optional<Clock::time_point> m_lateAt;
    std::string m_unwritten;  // due bytes the pty would not take yet
};

}  // namespace gaugesim
