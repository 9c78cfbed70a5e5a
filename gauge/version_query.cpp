#include "gauge/version_query.h"

#include <string>

#include "gauge/commands.h"
#include "serial/serial_port.h"
#include "view/view.h"

namespace gauge {

namespace {

// A pulled adapter closes the port under the window's flag; both must say open.
bool portUsable(const serial::SerialPort& port, VersionQueryContext context) {
    return context.portOpen && port.isOpen();
}

// The transfer's replies must never be taken from it, nor a version answer fed into them.
bool leavePortAlone(view::View& view, const serial::SerialPort& port, VersionQueryContext context) {
    if (!portUsable(port, context)) {
        view.setLabelText(view::Label::lblDebug, kPortNotOpen);
        return true;
    }
    if (context.transferRunning) {
        view.setLabelText(view::Label::lblDebug, kTransferInProgress);
        return true;
    }
    return false;
}

}  // namespace

void pressGetVersion(view::View& view, serial::SerialPort& port, VersionQueryContext context) {
    if (leavePortAlone(view, port, context)) {
        return;
    }
    port.readAllPending();
    std::string command(kVersion);
    command += kCommandEnd;
    port.writeText(command);
    view.setTimerPeriod(view::Timer::tmrVersion, kVersionWaitMs);
    // A stop first makes a press during the wait count its second afresh on any timer.
    view.setTimerRunning(view::Timer::tmrVersion, false);
    view.setTimerRunning(view::Timer::tmrVersion, true);
    view.setLabelText(view::Label::lblDebug, kGettingVersion);
}

std::optional<std::string> tickVersion(view::View& view, serial::SerialPort& port,
                                       VersionQueryContext context) {
    view.setTimerRunning(view::Timer::tmrVersion, false);
    if (leavePortAlone(view, port, context)) {
        return std::nullopt;
    }
    std::string answer = port.readAllPending();
    view.setLabelText(view::Label::lblDebug, answer);
    return answer;
}

std::string withoutLineEnd(std::string answer) {
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) {
        answer.pop_back();
    }
    return answer;
}

}  // namespace gauge
