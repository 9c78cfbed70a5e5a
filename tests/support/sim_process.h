#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace testsupport {

// True when the simulator was built (QORB_GAUGE_SIM_PATH) and a pty can be opened here.
bool simulatorAvailable();

// A running qorb-gauge-sim; its output goes to unnamed files, so heavy logging never blocks it.
class SimProcess {
public:
    // Waits (at most 5 s) for the pty path it prints; throws std::runtime_error when none comes.
    explicit SimProcess(const std::vector<std::string>& arguments);
    ~SimProcess() { release(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& ptyPath() const { return m_ptyPath; }
    // Each waits for the end; terminate() sends SIGKILL after 5 s, kill() is an adapter pulled out.
    void terminate() { stop(SIGTERM); }
    void kill() { stop(SIGKILL); }
    std::string standardError() const;

private:
    bool running();
    void stop(int signal);
    void release();

    int m_pid = -1;
    int m_output = -1;
    int m_errors = -1;
    std::string m_ptyPath;
};

}  // namespace testsupport
