#pragma once

#include <string>

#include "gauge/transfer.h"
#include "serial/port_selection.h"
#include "view/controls.h"

namespace view {
class View;
}
namespace serial {
class SerialPort;
}
namespace pointsfile {
class FileTable;
}

namespace app {

// Every state and routine of the main window, without the toolkit: the window forwards each of
// its events to one method here and offers its controls through view::View.
class WindowCore {
public:
    WindowCore(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files);

    // Start-up: idle transfer, lists filled, settings loaded, port applied.
    void onLoad();
    // Start-up up to the apply step, with the choices read from the settings file at the path.
    void loadChoices(const std::string& settingsPath);
    // Shut-down, once: port closed when it says it is open, settings saved. No tick acts after it.
    void onUnload();

    void onSetNewBaudRate();
    void onGetMemoryPoints();
    void onGetVersion();
    void onHelp();
    // Unloads the window (which runs onUnload) and ends the program.
    void onExit();
    void onSaveMenu();
    // Loads a settings file of the operator's choice and applies the port it names.
    void onOpenMenu();
    void onInfoMenu();
    void onTimerTick(view::Timer timer);

    const gauge::Transfer& transfer() const { return m_transfer; }
    const serial::PortState& portState() const { return m_portState; }
    bool unloaded() const { return m_unloaded; }

private:
    view::View& m_view;
    serial::SerialPort& m_port;
    pointsfile::FileTable& m_files;
    gauge::Transfer m_transfer;
    serial::PortState m_portState;
    bool m_unloaded = false;
};

}  // namespace app
