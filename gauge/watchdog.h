#pragma once

namespace view {
class View;
}

namespace gauge {

// The reply watchdog on tmrCheckTimeout: it fires once, 4000 ms after the last start, unless
// stopped first. Its tick is the transfer's timeout action.
class Watchdog {
public:
    static constexpr int kPeriodMilliseconds = 4000;

    explicit Watchdog(view::View& view) : m_view(view) {}

    void start();
    void stop();
    // The full period counts again from now.
    void restart();

private:
    view::View& m_view;
};

}  // namespace gauge
