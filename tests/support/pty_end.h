#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

namespace testsupport {

// The master of a fresh pseudo-terminal, whose device a program under test takes as its terminal;
// fresh() is null when this system has no pty to give.
class PtyEnd {
public:
    static std::unique_ptr<PtyEnd> fresh() {
        std::unique_ptr<PtyEnd> end(new PtyEnd(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)));
        const bool made = grantpt(end->m_fd) == 0 && unlockpt(end->m_fd) == 0 && ptsname(end->m_fd);
        return made ? std::move(end) : nullptr;
    }
    ~PtyEnd() { ::close(m_fd); }
    PtyEnd(const PtyEnd&) = delete;
    PtyEnd& operator=(const PtyEnd&) = delete;

    std::string device() const { return ptsname(m_fd); }
    // Everything that arrives within the window, until the far end closes.
    std::string readFor(std::chrono::milliseconds window) {
        const auto end = std::chrono::steady_clock::now() + window;
        std::string bytes;
        char buffer[1024];
        for (ssize_t n = 0; n >= 0 && std::chrono::steady_clock::now() < end;) {
            pollfd ready{m_fd, POLLIN, 0};
            n = ::poll(&ready, 1, 10) > 0 ? ::read(m_fd, buffer, sizeof buffer) : 0;
            bytes.append(buffer, std::size_t(n > 0 ? n : 0));
        }
        return bytes;
    }

private:
    explicit PtyEnd(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace testsupport
