#pragma once

#include <termios.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The test's end of a pseudo-terminal, raw, read under poll() with timeouts: either a device
// opened as the program would (the simulator's pty), or the master of a fresh pty whose device the
// program opens, the test standing in for the gauge.
class PtyEnd {
public:
    using Clock = std::chrono::steady_clock;
    struct Arrival {
        std::string bytes;
        Clock::duration after;  // since the read began
    };

    explicit PtyEnd(const std::string& path);  // throws std::runtime_error
    // The master of a fresh pty; null when this system has none to give.
    static std::unique_ptr<PtyEnd> fresh();
    ~PtyEnd() { close(); }
    PtyEnd(const PtyEnd&) = delete;
    PtyEnd& operator=(const PtyEnd&) = delete;

    // For a fresh pty: the device the program opens.
    const std::string& device() const { return m_device; }
    termios lineSettings() const;
    void write(const std::string& bytes);
    // Every read until the input ends in LF (when asked), a silence of `quiet`, or `limit`.
    std::vector<Arrival> readArrivals(std::chrono::milliseconds quiet,
                                      std::chrono::milliseconds limit = std::chrono::seconds(2),
                                      bool stopAtLineFeed = true);
    // Writes a command; what came back up to an LF or a 250 ms silence.
    std::string ask(const std::string& command);
    // Everything that arrives within the window.
    std::string readFor(std::chrono::milliseconds window);
    // As a gauge pulled out.
    void close();

private:
    PtyEnd() = default;

    int m_fd = -1;
    std::string m_device;
};

std::string joined(const std::vector<PtyEnd::Arrival>& arrivals);

}  // namespace testsupport
