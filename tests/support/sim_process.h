#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// True when the simulator was built (QORB_GAUGE_SIM_PATH) and a pty can be opened here.
bool simulatorAvailable();

// A running qorb-gauge-sim. Its stdout and stderr go to unnamed temporary files, so a simulator
// that logs a lot never blocks on a full pipe.
class SimProcess {
public:
    // Unless `waitForPty` is false, waits (at most 5 s) for the pty path it prints.
    explicit SimProcess(const std::vector<std::string>& arguments, bool waitForPty = true);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& ptyPath() const { return m_ptyPath; }
    int pid() const { return m_pid; }
    bool running() { return !exitCode(); }
    // SIGTERM and wait; after 5 s without an end, SIGKILL.
    void terminate();
    // SIGKILL and wait, as when an adapter is pulled out.
    void kill();
    std::string standardOutput() const;
    std::string standardError() const;
    // Once it has ended: its exit code, or 128 + the signal that ended it.
    std::optional<int> exitCode();

private:
    void stop(int signal);

    int m_pid = -1;
    int m_stdoutFd = -1;
    int m_stderrFd = -1;
    std::string m_ptyPath;
    std::optional<int> m_exitCode;
};

// What a simulator run that ends by itself (a bad option, --help) left behind.
struct SimRun {
    int exitCode = -1;
    std::string standardOutput;
    std::string standardError;
};

// Runs the simulator to its end; throws std::runtime_error when it has not ended within 5 s.
SimRun runSimulatorToEnd(const std::vector<std::string>& arguments);

}  // namespace testsupport
