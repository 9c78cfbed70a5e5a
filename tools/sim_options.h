#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/gauge_model.h"

namespace gaugesim {

// A command line the simulator cannot run with; the message names the option.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SimOptions {
    GaugeConfig gauge;
    std::optional<std::string> linkPath;
    unsigned baud = 9600;
    // 0: each reply goes out whole (still paced byte by byte).
    std::size_t pieceSize = 0;
    std::chrono::milliseconds pieceDelay{0};
    std::optional<std::string> lateText;
    std::chrono::milliseconds lateAfter{0};
    bool log = false;
    bool help = false;
};

// Reads the arguments after the program name; "--name value" and "--name=value" both work.
SimOptions parseOptions(const std::vector<std::string>& arguments);

std::string helpText();

}  // namespace gaugesim
