#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

// The program's end of the simulator's line, with plain POSIX calls: raw mode, non-blocking
// reads under poll() with timeouts.
class PtyClient {
public:
    using Clock = std::chrono::steady_clock;

    struct Arrival {
        std::string bytes;
        Clock::duration after;  // since the read began
    };

    explicit PtyClient(const std::string& path);  // throws std::runtime_error
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

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
    // The simulator's end has closed (within 200 ms).
    bool hungUp();

private:
    int m_fd = -1;
};

std::string joined(const std::vector<PtyClient::Arrival>& arrivals);

}  // namespace testsupport
