#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testsupport {

PtyClient::PtyClient(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    }
    termios settings{};
    tcgetattr(m_fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(m_fd, TCSANOW, &settings);
}

PtyClient::~PtyClient() {
    ::close(m_fd);
}

void PtyClient::write(const std::string& bytes) {
    if (::write(m_fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        throw std::runtime_error("cannot write to the pty: " + std::string(std::strerror(errno)));
    }
}

std::vector<PtyClient::Arrival> PtyClient::readArrivals(std::chrono::milliseconds quiet,
                                                        std::chrono::milliseconds limit,
                                                        bool stopAtLineFeed) {
    std::vector<Arrival> arrivals;
    Clock::time_point start = Clock::now();
    Clock::time_point deadline = start + limit;
    for (;;) {
        Clock::time_point now = Clock::now();
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (left.count() <= 0) {
            return arrivals;
        }
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, int(std::min(left, quiet).count())) == 0) {
            return arrivals;
        }
        char buffer[1024];
        ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            return arrivals;  // the far end is gone
        }
        arrivals.push_back({std::string(buffer, std::size_t(n)), Clock::now() - start});
        if (stopAtLineFeed && buffer[n - 1] == '\n') {
            return arrivals;
        }
    }
}

bool PtyClient::hungUp() {
    pollfd fd{m_fd, POLLIN, 0};
    return ::poll(&fd, 1, 200) == 1 && (fd.revents & POLLHUP) != 0;
}

std::string PtyClient::ask(const std::string& command) {
    write(command);
    return joined(readArrivals(std::chrono::milliseconds(250)));
}

std::string PtyClient::readFor(std::chrono::milliseconds window) {
    return joined(readArrivals(window, window, false));
}

std::string joined(const std::vector<PtyClient::Arrival>& arrivals) {
    std::string bytes;
    for (const PtyClient::Arrival& arrival : arrivals) {
        bytes += arrival.bytes;
    }
    return bytes;
}

}  // namespace testsupport
