#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace view {
class View;
}
namespace serial {
class SerialPort;
}

namespace gauge {

inline constexpr std::string_view kGettingVersion = "Getting version";
inline constexpr std::string_view kPortNotOpen = "Port not open";
inline constexpr std::string_view kTransferInProgress = "Transfer in progress";
inline constexpr int kVersionWaitMs = 1000;

// What the window knows about the line when the query acts. `portOpen` is the port-open flag of
// the last apply step; `transferRunning` is true in transfer states 2 to 13.
struct VersionQueryContext {
    bool portOpen = false;
    bool transferRunning = false;
};

// "Get Version" pressed: throws away pending input, sends "V" CR and shows "Getting version" for
// one second. A press while waiting sends again and waits a whole second from then. With the port
// not open, or a transfer running, the port is left alone and the debug label says why.
void pressGetVersion(view::View& view, serial::SerialPort& port, VersionQueryContext context);

// The gauge's answer without the line ends that close it.
std::string withoutLineEnd(std::string answer);

// Tick of tmrVersion: stops it and shows the raw text the gauge sent since the press, line ends
// and all, and returns it. A transfer that started during the wait owns the input, so it is not
// read then.
std::optional<std::string> tickVersion(view::View& view, serial::SerialPort& port,
                                       VersionQueryContext context);

}  // namespace gauge
