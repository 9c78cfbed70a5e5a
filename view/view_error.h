#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace view {

// A control refused a value: the message names the control and the value.
class RefusedValue : public std::runtime_error {
public:
    RefusedValue(std::string_view control, std::int64_t value);

    const std::string& control() const { return m_control; }
    std::int64_t value() const { return m_value; }

private:
    std::string m_control;
    std::int64_t m_value;
};

}  // namespace view
