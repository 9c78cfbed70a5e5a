#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace testsupport {

// True when the simulator was built (QORB_GAUGE_SIM_PATH) and a pty can be opened here.
bool simulatorAvailable();

// A program under test, ended with the object. Its output and errors go to unnamed files, so heavy
// output never blocks it, or its errors to a device given (a terminal).
class Process {
public:
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& errorDevice = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit status, or 128 + the signal that ended it; -1, and killed, when it runs for 30 s.
    int wait();
    // Sends the signal and waits for the end: SIGKILL follows after 5 s.
    void stop(int signal);
    std::string output() const;
    std::string errors() const;

protected:
    bool running();

private:
    int m_pid = -1;
    int m_status = -1;
    int m_output = -1;
    int m_errors = -1;
};

// A running qorb-gauge-sim, once it has printed its pty's path (5 s at most, else it throws
// std::runtime_error). Stopped by SIGKILL, it is an adapter pulled out.
class SimProcess : public Process {
public:
    explicit SimProcess(const std::vector<std::string>& arguments);

    const std::string& ptyPath() const { return m_ptyPath; }

private:
    std::string m_ptyPath;
};

}  // namespace testsupport
