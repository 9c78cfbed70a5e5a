#include "history/uuid.h"

#include <openssl/rand.h>

#include <array>
#include <stdexcept>

#include "history/lower_hex.h"

namespace history {

std::string randomUuid() {
    std::array<unsigned char, 16> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        throw std::runtime_error("OpenSSL gave no random bytes for a download's UUID");
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122's variant
    std::string uuid;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            uuid += '-';
        }
        appendLowerHex(uuid, bytes[i]);
    }
    return uuid;
}

}  // namespace history
