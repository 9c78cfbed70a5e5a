#include "tools/sim_pacer.h"

#include <algorithm>

namespace gaugesim {

Pacer::Pacer(unsigned baud, std::size_t pieceSize, Clock::duration pieceDelay)
    : m_byteTime(std::chrono::duration_cast<Clock::duration>(
          std::chrono::nanoseconds(10'000'000'000LL / std::max(1u, baud)))),
      m_pieceSize(pieceSize),
      m_pieceDelay(pieceDelay) {}

void Pacer::push(std::string_view reply, Clock::time_point now) {
    if (reply.empty()) {
        return;
    }
    if (m_pieces.empty()) {
        // An idle line starts sending now, not when it last fell silent.
        m_lineFreeAt = std::max(m_lineFreeAt, now);
    }
    std::size_t size = m_pieceSize == 0 ? reply.size() : m_pieceSize;
    for (std::size_t start = 0; start < reply.size(); start += size) {
        Clock::duration gap = start == 0 ? Clock::duration::zero() : m_pieceDelay;
        m_pieces.push_back({std::string(reply.substr(start, size)), gap});
    }
}

std::string Pacer::takeDue(Clock::time_point now) {
    std::string due;
    while (!m_pieces.empty()) {
        const std::string& bytes = m_pieces.front().bytes;
        while (m_taken < bytes.size() && m_lineFreeAt + m_byteTime <= now) {
            due += bytes[m_taken++];
            m_lineFreeAt += m_byteTime;
        }
        if (m_taken < bytes.size()) {
            break;
        }
        m_pieces.pop_front();
        m_taken = 0;
        if (!m_pieces.empty()) {
            m_lineFreeAt += m_pieces.front().gapBefore;
        }
    }
    return due;
}

std::optional<Pacer::Clock::time_point> Pacer::nextDue() const {
    if (m_pieces.empty()) {
        return std::nullopt;
    }
    return m_lineFreeAt + m_byteTime;
}

}  // namespace gaugesim
