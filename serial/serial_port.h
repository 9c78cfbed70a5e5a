#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace serial {

// The one channel to the gauge. Text is bytes, one per character, never transcoded. A port that
// cannot be opened, read or written throws PortError naming its device.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // 1 to 16 is taken even when no such port exists; the open then fails. Set while closed.
    virtual void setPortNumber(std::int16_t number) = 0;
    // "9600,n,8,1" and the like; takes effect at the next open. A malformed text is refused.
    virtual void setLineSettings(std::string_view settings) = 0;
    // Carried for the caller's sake; it governs nothing.
    virtual void setIntegerOption(std::int32_t value) = 0;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The device the last open reached ("/dev/ttyUSB0", "COM2"), for the download's record.
    virtual std::string device() const = 0;

    // Every byte in order, nothing added.
    virtual void writeText(std::string_view text) = 0;
    // Returns at once with every byte received since the last read; empty when nothing came.
    virtual std::string readAllPending() = 0;
    // Called when input arrives, also inside a read, so a reply can be taken as soon as it is in;
    // the handler replaces any before it, and an empty one ends the calls.
    virtual void onInputArrived(std::function<void()> handler) = 0;
};

}  // namespace serial
