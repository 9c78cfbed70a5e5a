#pragma once

#include <string>

namespace history {

// A byte as two lower-case hex digits, as fingerprints and UUIDs are written.
inline void appendLowerHex(std::string& text, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
}

}  // namespace history
