#pragma once

#include <string>
#include <string_view>

namespace cli {

// How qorb-download ends, for the scripts that run it. The values follow the BSD sysexits where
// one fits, so a script may already know them.
enum class ExitStatus : int {
    Complete = 0,
    Usage = 64,
    InvalidCount = 65,
    NoPoints = 66,
    PortUnavailable = 69,
    Internal = 70,
    FileFailed = 73,
    HistoryFailed = 74,
    ReplyTimeout = 75,
    Interrupted = 130,
    Terminated = 143,
};

// The status of the end the transfer told in its message.
ExitStatus exitStatusOfEnd(std::string_view message);

// One line per status, for --help.
std::string exitStatusTable();

}  // namespace cli
