#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "serial/qt_serial_port.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"

namespace testsupport {

// The real window with the real serial port, attached as Com 1 to the simulated gauge on a pty,
// in real time; the driver plays the operator. The program's folder is a fresh temporary folder
// that holds the com1 link and the settings file.
class WindowOnGauge : public ::testing::Test {
protected:
    // The sample gauge: two statistics points, then memory points of which one is deleted ("D")
    // and one merely begins with a small "d".
    static constexpr const char* kStatisticsPoints = "MIN\t1.25\r\nMAX\t2.50\r\n";
    static constexpr const char* kMemoryPoints =
        "1\t12.001\tmm\r\nD2\t12.002\tmm\r\nd3\t12.003\tmm\r\n4\t12.004\tmm\r\n";

    void SetUp() override;

    // Starts the gauge as Com 1, pacing its output at `baud`, holding the sample points, with
    // these further options; a gauge already running is stopped first.
    void startGauge(const std::vector<std::string>& options = {}, int baud = 115200);
    // Creates the window on the port and loads it, as the program does at its start.
    void startWindow();

    // The start-up with no usable settings file: Com 1 at 38400 applied, the check boxes clear.
    void expectFallbackSelections() const;

    std::filesystem::path settingsFile() const { return folder.path() / "avrbl.txt"; }
    std::string pointsFile(const std::string& name = "points.txt") const {
        return folder.file(name);
    }

    // Presses "Memory Points To File" and chooses `path` in the save dialog.
    void startTransfer(const std::string& path);
    // The text of the next message box not taken yet (UTF-8, line breaks as LF), once it has
    // shown; empty when none shows within the time.
    std::string nextBox(int timeoutMs);
    // A whole transfer: its start, then the box that ends it.
    std::string transferTo(const std::string& path, int timeoutMs = 15000);
    // Presses Exit and runs the program's event loop until the program ends; the loop's exit
    // code, or -1 when the program did not end within 10 s.
    int exitProgram();

    TempFolder folder;
    std::optional<SimProcess> gauge;
    pointsfile::FileTable files;
    serial::QtSerialPort port{folder.path().string()};
    std::unique_ptr<app::Form1> window;
    std::unique_ptr<gaugesim::WindowDriver> driver;

private:
    std::size_t m_boxesTaken = 0;
};

}  // namespace testsupport
