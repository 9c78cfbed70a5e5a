#include "support/pty_end.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testsupport {

PtyEnd::PtyEnd(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    }
    termios settings = lineSettings();
    cfmakeraw(&settings);
    tcsetattr(m_fd, TCSANOW, &settings);
}

std::unique_ptr<PtyEnd> PtyEnd::fresh() {
    std::unique_ptr<PtyEnd> end(new PtyEnd);
    end->m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (end->m_fd < 0 || grantpt(end->m_fd) != 0 || unlockpt(end->m_fd) != 0 ||
        ptsname(end->m_fd) == nullptr) {
        return nullptr;
    }
    end->m_device = ptsname(end->m_fd);
    return end;
}

void PtyEnd::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
}

termios PtyEnd::lineSettings() const {
    termios settings{};
    tcgetattr(m_fd, &settings);
    return settings;
}

void PtyEnd::write(const std::string& bytes) {
    if (::write(m_fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        throw std::runtime_error("cannot write to the pty: " + std::string(std::strerror(errno)));
    }
}

std::vector<PtyEnd::Arrival> PtyEnd::readArrivals(std::chrono::milliseconds quiet,
                                                  std::chrono::milliseconds limit,
                                                  bool stopAtLineFeed) {
    using std::chrono::milliseconds;
    std::vector<Arrival> arrivals;
    const Clock::time_point start = Clock::now();
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(start + limit - Clock::now());
        pollfd fd{m_fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, int(std::min(left, quiet).count())) == 0) {
            return arrivals;
        }
        char buffer[1024];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            return arrivals;  // the other end is gone
        }
        arrivals.push_back({std::string(buffer, std::size_t(n)), Clock::now() - start});
        if (stopAtLineFeed && buffer[n - 1] == '\n') {
            return arrivals;
        }
    }
}

std::string PtyEnd::ask(const std::string& command) {
    write(command);
    return joined(readArrivals(std::chrono::milliseconds(250)));
}

std::string PtyEnd::readFor(std::chrono::milliseconds window) {
    return joined(readArrivals(window, window, false));
}

std::string joined(const std::vector<PtyEnd::Arrival>& arrivals) {
    std::string bytes;
    for (const PtyEnd::Arrival& arrival : arrivals) {
        bytes += arrival.bytes;
    }
    return bytes;
}

}  // namespace testsupport
