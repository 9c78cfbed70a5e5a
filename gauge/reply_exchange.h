#pragma once

#include <string>
#include <string_view>

namespace serial {
class SerialPort;
}

namespace gauge {

// One command and its reply at a time. A reply is complete when everything read since the command
// ends in LF; text after an LF within the same read keeps it open until a later read ends in LF.
class ReplyExchange {
public:
    // Starts a fresh reply and writes the command and its CR as one write. Input already pending
    // stays pending and becomes the start of the reply.
    void sendCommand(serial::SerialPort& port, std::string_view letters);
    // Reads what is pending unless the reply is already complete; true once it is.
    bool collectReply(serial::SerialPort& port);

    const std::string& buffer() const { return m_buffer; }
    bool complete() const { return m_complete; }
    void reset();

private:
    std::string m_buffer;
    bool m_complete = false;
};

// The reply without its line end: the final LF and a CR right before it. A reply without a final
// LF is returned whole.
std::string pointLineOfReply(std::string_view reply);

}  // namespace gauge
