#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace gaugesim {

// Holds replies back until the line could have carried them: each byte takes 10 bit times, and a
// reply cut into pieces waits the piece delay between pieces. A byte is due once it has been
// wholly sent, as a receiving UART would hand it on.
class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    Pacer(unsigned baud, std::size_t pieceSize, Clock::duration pieceDelay);

    void push(std::string_view reply, Clock::time_point now);
    // The bytes due by now, in order; empty when none is.
    std::string takeDue(Clock::time_point now);
    // When the next byte falls due; nothing when all has been taken.
    std::optional<Clock::time_point> nextDue() const;

private:
    struct Piece {
        std::string bytes;
        Clock::duration gapBefore;
    };

    std::deque<Piece> m_pieces;
    std::size_t m_taken = 0;  // bytes of the front piece already taken
    Clock::time_point m_lineFreeAt{};
    Clock::duration m_byteTime;
    std::size_t m_pieceSize;
    Clock::duration m_pieceDelay;
};

}  // namespace gaugesim
