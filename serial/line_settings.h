#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace serial {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// A line settings text such as "9600,n,8,1": speed, parity, data bits, stop bits.
struct LineSettings {
    std::int32_t baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings&) const = default;
};

class MalformedLineSettings : public std::invalid_argument {
public:
    explicit MalformedLineSettings(std::string_view text);
};

// Throws MalformedLineSettings for anything but "<baud>,<n|e|o|m|s>,<5-8>,<1|1.5|2>".
LineSettings parseLineSettings(std::string_view text);

}  // namespace serial
