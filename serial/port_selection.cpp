#include "serial/port_selection.h"

#include <exception>
#include <string>

#include "serial/port_error.h"
#include "serial/serial_port.h"
#include "view/view.h"

namespace serial {

namespace {

bool isPortNumber(int number) {
    return number >= 1 && number <= kPortCount;
}

// A probe that got as far as the open must not leave the port held.
void closeIfOpen(SerialPort& port) noexcept {
    try {
        if (port.isOpen()) {
            port.close();
        }
    } catch (const std::exception&) {
        // The port is being given up as unusable; a failing close changes nothing for the caller.
    }
}

// The label keeps its two texts; why the port failed and what to do goes into its detail.
void markInvalid(view::View& view, SerialPort& port, PortState& state, std::string_view why) {
    closeIfOpen(port);
    view.setLabelText(view::Label::lblPortConfigured, kInvalidPort);
    view.setLabelDetail(view::Label::lblPortConfigured, why);
    state.valid = false;
}

}  // namespace

void FillPortLists(view::View& view) {
    for (int number = 1; number <= kPortCount; ++number) {
        view.addListEntry(view::List::Combo1,
                          std::string(kPortEntryPrefix) + std::to_string(number));
    }
    for (std::string_view entry : kBaudEntries) {
        view.addListEntry(view::List::Combo2, entry);
    }
}

void ApplyPortSettings(view::View& view, SerialPort& port, PortState& state) {
    if (state.open) {
        port.close();
    }
    port.setIntegerOption(0);

    const std::int16_t baudIndex = view.selectedListIndex(view::List::Combo2);
    if (baudIndex >= 0 && baudIndex < static_cast<int>(kLineSettingsOfBaudEntry.size())) {
        port.setLineSettings(kLineSettingsOfBaudEntry[static_cast<std::size_t>(baudIndex)]);
    }

    // Only a settings file holding -1 leaves the port list without a selection; there is no
    // port 0 to try, so it fails like a port that does not exist.
    const auto portNumber =
        static_cast<std::int16_t>(view.selectedListIndex(view::List::Combo1) + 1);
    if (isPortNumber(portNumber)) {
        port.setPortNumber(portNumber);
    }
    if (!ProbePort(view, port, portNumber, state)) {
        state.open = false;
        return;
    }

    // Another program may take the port between the probe and this open.
    try {
        port.open();
    } catch (const PortError& error) {
        markInvalid(view, port, state, error.what());
        state.open = false;
        return;
    }
    view.setTimerPeriod(view::Timer::timerCheckData, kPollPeriodMs);
    view.setTimerRunning(view::Timer::timerCheckData, true);
    state.open = true;
}

bool ProbePort(view::View& view, SerialPort& port, std::int16_t portNumber, PortState& state) {
    try {
        if (!isPortNumber(portNumber)) {
            throw PortError("No serial port has the number " + std::to_string(portNumber));
        }
        port.setPortNumber(portNumber);
        port.open();
        port.close();
        view.setLabelText(view::Label::lblPortConfigured, kValidPort);
        view.setLabelDetail(view::Label::lblPortConfigured, {});
        state.valid = true;
        return true;
    } catch (const std::exception& error) {
        markInvalid(view, port, state, error.what());
        return false;
    }
}

}  // namespace serial
