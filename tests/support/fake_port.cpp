#include "support/fake_port.h"

#include <utility>

#include "serial/port_error.h"

namespace testsupport {

FakePort::FakePort(gaugesim::GaugeConfig config) : m_gauge(std::move(config)) {}

std::string FakePort::device() const {
    return "fake COM" + std::to_string(m_portNumber);
}

void FakePort::setPortNumber(std::int16_t number) {
    if (number < 1 || number > 16) {
        throw serial::PortError("Invalid port number " + std::to_string(number));
    }
    if (m_open) {
        throw serial::PortError("Cannot change the port number of the open port " + device());
    }
    m_portNumber = number;
}

void FakePort::setLineSettings(std::string_view settings) {
    if (m_open) {
        throw serial::PortError("Cannot change the line settings of the open port " + device());
    }
    m_lineSettings = serial::parseLineSettings(settings);
}

void FakePort::open() {
    if (m_open) {
        throw serial::PortError(device() + " is already open");
    }
    if (!m_portExists) {
        throw serial::PortError("Cannot open " + device() + ": no such port");
    }
    if (m_heldElsewhere) {
        throw serial::PortError("Cannot open " + device() + ": held by another program");
    }
    m_open = true;
    m_unplugged = false;
    ++m_openCount;
}

void FakePort::close() {
    if (m_open) {
        ++m_closeCount;
    }
    m_open = false;
}

void FakePort::failIfUnusable(const char* what) {
    if (m_unplugged && m_open) {
        m_open = false;
        throw serial::PortError(std::string("Cannot ") + what + " " + device() +
                                ": the device was removed");
    }
    if (!m_open) {
        throw serial::PortError(std::string("Cannot ") + what + " " + device() +
                                ": the port is not open");
    }
}

void FakePort::writeText(std::string_view text) {
    failIfUnusable("write to");
    m_written += text;
    std::string replies = m_gauge.receive(text);
    (m_holdReplies ? m_held : m_pending) += replies;
}

std::string FakePort::readAllPending() {
    failIfUnusable("read from");
    ++m_readCount;
    std::string piece;
    if (m_pieceSize == 0 || m_pending.size() <= m_pieceSize) {
        piece.swap(m_pending);
    } else {
        piece = m_pending.substr(0, m_pieceSize);
        m_pending.erase(0, m_pieceSize);
    }
    return piece;
}

void FakePort::releaseHeldReplies() {
    m_pending += m_held;
    m_held.clear();
}

}  // namespace testsupport
