#pragma once

#include <string>
#include <string_view>

#include "history/sha256.h"

namespace history {

// The fingerprint of memory lines as the history keeps them, the way it fingerprints a download:
// the SHA-256 of each line's gauge bytes followed by a line feed. The bytes go to the hash in
// blocks: a call of the hash per line would cost more than the hash itself.
class MemoryFingerprint {
public:
    // A line as the history stores it.
    void add(std::string_view storedLine);
    // In lower-case hex; the fingerprint is spent then.
    std::string hexDigest();

private:
    Sha256 m_hash;
    std::string m_block;
};

}  // namespace history
