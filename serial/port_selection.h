#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace view {
class View;
}

namespace serial {

class SerialPort;

// "Com 1" … "Com 16": entry i of the port list stands for port number i + 1.
inline constexpr std::string_view kPortEntryPrefix = "Com ";
inline constexpr std::int16_t kPortCount = 16;

// The baud list's entries and, at the same index, the line settings each one applies.
inline constexpr std::array<std::string_view, 6> kBaudEntries = {"4800",  "9600",  "19200",
                                                                 "38400", "57600", "115200"};
inline constexpr std::array<std::string_view, 6> kLineSettingsOfBaudEntry = {
    "4800,n,8,1", "9600,n,8,1", "19200,n,8,1", "38400,n,8,1", "57600,n,8,1", "115200,n,8,1"};

inline constexpr std::string_view kValidPort = "Valid port";
inline constexpr std::string_view kInvalidPort = "Invalid port";
inline constexpr int kPollPeriodMs = 50;

// The window's verdict on the line. `valid` lets the poll tick act; `open` says the last apply
// step left the port open, so the next one must close it first.
struct PortState {
    bool valid = false;
    bool open = false;
};

// Appends the port and baud entries; selects nothing.
void FillPortLists(view::View& view);

// Closes the port if the last apply left it open, applies the selected baud rate (no selection
// keeps the line settings) and port, probes it and, when the probe passes, opens it for good and
// starts the poll timer. Any failure leaves the port closed, both flags false and "Invalid port".
void ApplyPortSettings(view::View& view, SerialPort& port, PortState& state);

// Opens and closes the port as a test of it; shows and records the verdict in state.valid.
bool ProbePort(view::View& view, SerialPort& port, std::int16_t portNumber, PortState& state);

}  // namespace serial
