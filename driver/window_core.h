#pragma once

#include <memory>
#include <string>

#include "driver/pacer.h"
#include "driver/window_texts.h"
#include "gauge/transfer.h"
#include "history/history_choices.h"
#include "history/history_keeper.h"
#include "history/waiting_sender.h"
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

namespace driver {

// Every state and routine of the main window, without the toolkit: a front end forwards each of
// its events to one method here and offers its controls through view::View. It chooses the pace
// of the transfers and nothing more; the pacer here runs them at it.
class WindowCore {
public:
    WindowCore(view::View& view, serial::SerialPort& port, pointsfile::FileTable& files);

    // Start-up: idle transfer, lists filled, settings and pace loaded, port applied.
    void onLoad();
    // Start-up up to the apply step, with the choices read from the settings file at the path.
    void loadChoices(const std::string& settingsPath);
    // Shut-down, once: port closed when it says it is open, settings and pace saved. No tick
    // acts after it.
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
    // Options > Line Speed Transfer, ticked or cleared.
    void onLineSpeedMenu(bool checked);
    // Options > Date and Time in File Name, ticked or cleared.
    void onDateTimeNameMenu(bool checked);
    // Options > Tolerance Limits...: the limits of the workbooks written from now on, remembered
    // for the next run.
    void onToleranceLimitsMenu();
    // Options > Download History...: where the downloads are kept and sent from now on,
    // remembered for the next run.
    void onDownloadHistoryMenu();
    void onTimerTick(view::Timer timer);
    // The port's notice that input arrived.
    void onInputArrived();

    // The pace of the transfers that begin from now on; one under way keeps its own.
    void choosePace(Pace pace, int gapMs = 0);
    // The files of the transfers that begin from now on: their form, when not the name's, and
    // how a CSV file writes numbers and separates fields.
    void chooseForm(std::optional<pointsfile::Form> form, pointsfile::CsvStyle csv);
    // The starting limits and the value field of the workbooks' Summary, for the transfers that
    // begin from now on.
    void chooseSummary(const pointsfile::SummaryChoices& summary);
    // How the download's record names the program and, when it is not the port list's entry,
    // the port.
    void describeDownloads(std::string programName, std::string portName = {});
    // Where the downloads that end from now on are kept; an empty file is the default place.
    void chooseHistory(const history::HistoryChoices& choices);
    const history::HistoryChoices& historyChoices() const { return m_historyChoices; }
    // The history file in use; empty when no history is kept.
    std::string historyPath() const { return m_keeper ? m_keeper->path() : std::string(); }
    // How the front end sends the history's waiting downloads to the plant database without
    // holding up the window: after each download kept, when the window starts and when the
    // choices change, while a plant database is named. None sends nothing.
    void sendWaitingWith(history::WaitingSender* sender) { m_sender = sender; }
    gauge::Transfer& transfer() { return m_transfer; }

    const gauge::Transfer& transfer() const { return m_transfer; }
    const serial::PortState& portState() const { return m_portState; }
    bool unloaded() const { return m_unloaded; }

private:
    void sendWaiting();

    view::View& m_view;
    serial::SerialPort& m_port;
    pointsfile::FileTable& m_files;
    gauge::Transfer m_transfer;
    serial::PortState m_portState;
    Pacer m_pacer{m_view, m_transfer, m_portState};
    Pace m_pace = Pace::Poll;
    int m_gapMs = 0;
    std::string m_programName{kApplicationTitle};
    std::string m_portName;
    // The gauge's last version answer in this run, for the download's record.
    std::string m_gaugeVersion;
    history::HistoryChoices m_historyChoices;
    std::unique_ptr<history::HistoryKeeper> m_keeper;
    history::WaitingSender* m_sender = nullptr;
    bool m_unloaded = false;
};

}  // namespace driver
