#pragma once

namespace view {
class View;
}
namespace gauge {
class Transfer;
}
namespace serial {
struct PortState;
}

namespace driver {

// Poll: one step of the transfer per 50 ms tick, as the window has always paced it. Line: each
// command as soon as the reply before it is complete.
enum class Pace { Poll, Line };

// When the transfer's next step runs. At the line pace input arriving, a step that moved the
// sequence on, the end of the gap after a reply and the 50 ms tick (should a notice of input go
// astray) each set it stepping; it stops where the sequence waits for a reply, for the gap or for
// one of the transfer's message boxes, so the event loop turns between the points.
class Pacer {
public:
    Pacer(view::View& view, gauge::Transfer& transfer, const serial::PortState& portState);

    // A transfer began: it keeps this pace to its end, at the line pace with at least gapMs
    // between a complete reply and the next command. At the line pace its first command goes now.
    void begin(Pace pace, int gapMs);
    void pollTick();
    void gapTick();
    void inputArrived();

private:
    void stepWhileItMoves();
    void endGap();

    view::View& m_view;
    gauge::Transfer& m_transfer;
    const serial::PortState& m_portState;
    Pace m_pace = Pace::Poll;
    int m_gapMs = 0;
    bool m_inGap = false;
    // A read inside a step may report input again; that step reads it anyway.
    bool m_stepping = false;
};

}  // namespace driver
