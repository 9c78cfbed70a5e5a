#include "gauge/reply_exchange.h"

#include "gauge/commands.h"
#include "serial/serial_port.h"

namespace gauge {

void ReplyExchange::sendCommand(serial::SerialPort& port, std::string_view letters) {
    reset();
    std::string command(letters);
    command += kCommandEnd;
    port.writeText(command);
}

bool ReplyExchange::collectReply(serial::SerialPort& port) {
    if (!m_complete) {
        m_buffer += port.readAllPending();
    }
    if (!m_buffer.empty() && m_buffer.back() == kLineFeed) {
        m_complete = true;
    }
    return m_complete;
}

void ReplyExchange::reset() {
    m_buffer.clear();
    m_complete = false;
}

std::string pointLineOfReply(std::string_view reply) {
    if (reply.empty() || reply.back() != kLineFeed) {
        return std::string(reply);
    }
    reply.remove_suffix(1);
    if (!reply.empty() && reply.back() == kCommandEnd) {
        reply.remove_suffix(1);
    }
    return std::string(reply);
}

}  // namespace gauge
