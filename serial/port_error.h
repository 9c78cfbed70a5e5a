#pragma once

#include <stdexcept>
#include <string>

namespace serial {

// The port could not be opened, read or written; the message names the device.
class PortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace serial
