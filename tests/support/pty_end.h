#pragma once

#include <termios.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The test's end of a pseudo-terminal, with plain POSIX calls: raw mode, non-blocking reads under
// poll() with timeouts. Either a device opened as the program would (the simulator's pty), or the
// master side of a fresh pty whose device the program opens, the test standing in for the gauge.
class PtyEnd {
public:
    using Clock = std::chrono::steady_clock;

    struct Arrival {
        std::string bytes;
        Clock::duration after;  // since the read began
    };

    explicit PtyEnd(const std::string& path);  // throws std::runtime_error
    // The far end of a fresh pty; null when this system has none to give.
    static std::unique_ptr<PtyEnd> fresh();
    ~PtyEnd();
    PtyEnd(const PtyEnd&) = delete;
    PtyEnd& operator=(const PtyEnd&) = delete;

    // For a fresh pty: the device the program opens.
    const std::string& device() const { return m_device; }
    // The line settings as the device has them.
    termios lineSettings() const;

    void write(const std::string& bytes);
    // Every read until the input ends in LF, or until quiet for `quiet`, or `limit` has passed.
    std::vector<Arrival> readArrivals(std::chrono::milliseconds quiet,
                                      std::chrono::milliseconds limit = std::chrono::seconds(2),
                                      bool stopAtLineFeed = true);
    // Writes a command and returns what came back: up to an LF, or whatever came before a
    // 250 ms silence.
    std::string ask(const std::string& command);
    // Everything that arrives within the window, LF or not.
    std::string readFor(std::chrono::milliseconds window);
    // The other end has closed (within 200 ms).
    bool hungUp();
    // Closes this end now, as a gauge pulled out.
    void close();

private:
    PtyEnd() = default;

    int m_fd = -1;
    std::string m_device;
};

std::string joined(const std::vector<PtyEnd::Arrival>& arrivals);

}  // namespace testsupport
