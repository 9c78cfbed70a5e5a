#include "tools/sim_line.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace gaugesim {

SimLine::SimLine(int masterFd, int stopFd, const SimOptions& options)
    : m_masterFd(masterFd),
      m_stopFd(stopFd),
      m_gauge(options.gauge),
      m_pacer(options.baud, options.pieceSize, options.pieceDelay),
      m_log(options.log),
      m_lateText(options.lateText),
      m_lateAfter(options.lateAfter) {}

void SimLine::run() {
    for (;;) {
        Clock::time_point now = Clock::now();
        pollfd fds[2] = {{m_stopFd, POLLIN, 0},
                         {m_masterFd, short(POLLIN | (m_unwritten.empty() ? 0 : POLLOUT)), 0}};
        const std::optional<timespec> timeout = pollTimeout(now);
        int ready = ::ppoll(fds, 2, timeout ? &*timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("poll on the pty failed: ") +
                                     std::strerror(errno));
        }
        if (fds[0].revents != 0) {
            return;
        }
        now = Clock::now();
        if ((fds[1].revents & (POLLERR | POLLNVAL)) != 0) {
            throw std::runtime_error("the pty failed");
        }
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            readCommands(now);
        }
        if (m_lateAt && now >= *m_lateAt) {
            m_pacer.push(*m_lateText, now);
            m_lateAt.reset();
            m_lateText.reset();
        }
        sendDue(now);
    }
}

void SimLine::readCommands(Clock::time_point now) {
    char buffer[512];
    ssize_t n = ::read(m_masterFd, buffer, sizeof buffer);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return;
        }
        throw std::runtime_error(std::string("reading the pty failed: ") + std::strerror(errno));
    }
    for (ssize_t i = 0; i < n; ++i) {
        takeCommandByte(buffer[i], now);
    }
}

// Byte by byte, so that each reply is paced and cut into pieces on its own.
void SimLine::takeCommandByte(char byte, Clock::time_point now) {
    const std::size_t commandsBefore = m_gauge.commandCount();
    std::string reply = m_gauge.receive(std::string_view(&byte, 1));
    if (m_gauge.commandCount() != commandsBefore) {
        if (m_log) {
            std::string line = m_gauge.commandsReceived().back() + "\n";
            (void)!::write(STDERR_FILENO, line.data(), line.size());
        }
        if (m_lateText && !m_lateAt && commandsBefore == 0) {
            m_lateAt = now + m_lateAfter;
        }
    }
    m_pacer.push(reply, now);
}

void SimLine::sendDue(Clock::time_point now) {
    m_unwritten += m_pacer.takeDue(now);
    while (!m_unwritten.empty()) {
        ssize_t n = ::write(m_masterFd, m_unwritten.data(), m_unwritten.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                return;  // nobody reads the slave end yet; poll for POLLOUT
            }
            throw std::runtime_error(std::string("writing the pty failed: ") +
                                     std::strerror(errno));
        }
        m_unwritten.erase(0, std::size_t(n));
    }
}

std::optional<timespec> SimLine::pollTimeout(Clock::time_point now) const {
    std::optional<Clock::time_point> wake;
    if (m_unwritten.empty()) {
        wake = m_pacer.nextDue();
    }
    if (m_lateAt && (!wake || *m_lateAt < *wake)) {
        wake = m_lateAt;
    }
    if (!wake) {
        return std::nullopt;
    }
    // A millisecond's rounding would hold each reply back longer than the line itself at 115200
    // baud, where a byte takes 87 microseconds.
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::clamp<Clock::duration>(*wake - now, Clock::duration::zero(), std::chrono::minutes(1)));
    return timespec{static_cast<time_t>(wait.count() / 1'000'000'000),
                    static_cast<long>(wait.count() % 1'000'000'000)};
}

}  // namespace gaugesim
