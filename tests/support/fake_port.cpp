#include "support/fake_port.h"

#include "serial/port_error.h"

namespace testsupport {

void FakePort::setPortNumber(std::int16_t number) {
    if (number < 1 || number > 16 || m_open) {
        throw serial::PortError("Cannot set port number " + std::to_string(number));
    }
    m_portNumber = number;
}

void FakePort::setLineSettings(std::string_view settings) {
    if (m_open) {
        throw serial::PortError("Cannot change the line settings of the open port");
    }
    m_lineSettings = serial::parseLineSettings(settings);
}

void FakePort::open() {
    if (m_open || !m_portExists || m_heldElsewhere) {
        throw serial::PortError("Cannot open fake COM" + std::to_string(m_portNumber));
    }
    m_open = true;
    m_unplugged = false;
    ++m_openCount;
}

void FakePort::close() {
    m_closeCount += m_open ? 1 : 0;
    m_open = false;
}

void FakePort::failIfUnusable(const std::string& action) {
    if (m_unplugged) {
        m_open = false;
    }
    if (!m_open) {
        throw serial::PortError("Cannot " + action + " fake COM" + std::to_string(m_portNumber));
    }
}

void FakePort::writeText(std::string_view text) {
    failIfUnusable("write to");
    m_written += text;
    m_pending += m_gauge.receive(text);
}

std::string FakePort::readAllPending() {
    failIfUnusable("read from");
    ++m_readCount;
    const std::size_t size = m_pieceSize == 0 ? m_pending.size() : m_pieceSize;
    std::string piece = m_pending.substr(0, size);
    m_pending.erase(0, size);
    return piece;
}

}  // namespace testsupport
