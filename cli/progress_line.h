#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "cli/options.h"

namespace gauge {
class Transfer;
}

namespace cli {

// One line on the terminal, redrawn in place: section, points collected of announced, percentage,
// points per second and the time left.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(const gauge::Transfer& transfer, driver::Pace pace, std::FILE* terminal);

    void redraw(Clock::time_point now);
    // Clears the line, so the end message starts on a clean one.
    void clear();

private:
    const gauge::Transfer& m_transfer;
    driver::Pace m_pace;
    std::FILE* m_terminal;
    // The first sight of the current section: the rate counts from there.
    bool m_sawMemory = false;
    Clock::time_point m_since;
    int m_receivedThen = 0;
};

}  // namespace cli
