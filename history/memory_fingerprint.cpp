#include "history/memory_fingerprint.h"

#include <algorithm>

#include "history/download_facts.h"

namespace history {

namespace {

constexpr std::size_t kBlock = 1 << 16;

}  // namespace

void MemoryFingerprint::add(std::string_view storedLine) {
    // Most lines are ASCII, which the history stores as the gauge's bytes themselves.
    const bool ascii = std::all_of(storedLine.begin(), storedLine.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        m_block.append(storedLine);
    } else {
        m_block += gaugeBytesOf(storedLine);
    }
    m_block += '\n';
    if (m_block.size() >= kBlock) {
        m_hash.add(m_block);
        m_block.clear();
    }
}

std::string MemoryFingerprint::hexDigest() {
    m_hash.add(m_block);
    return m_hash.hexDigest();
}

}  // namespace history
