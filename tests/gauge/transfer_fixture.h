#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gauge/transfer.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"
#include "tools/gauge_model.h"

namespace testsupport {

// A transfer wired to the fake window and the fake gauge as the window wires it: the poll tick
// every 50 ms with the port valid, the watchdog's tick to the timeout action.
class TransferFixture : public ::testing::Test {
protected:
    explicit TransferFixture(gaugesim::GaugeConfig config = defaultGauge());

    static gaugesim::GaugeConfig defaultGauge();
    // From now on the gauge is the default one as `change` leaves it.
    void useGauge(const std::function<void(gaugesim::GaugeConfig&)>& change);

    // Presses "Memory Points To File" and answers the dialog with a file in the temp folder.
    void pressAndSave(const std::string& name = "points.txt");
    void tick(int count = 1) { view.advance(50LL * count); }
    // Ticks until the transfer is idle again, at most the given number of ticks.
    void runToEnd(int maxTicks = 10000);
    std::string fileBytes(const std::string& name = "points.txt") const;
    std::vector<std::string> messages() const;
    void setCheckBox(view::CheckBox box, std::int16_t value) { view.setCheckBoxValue(box, value); }

    TempFolder folder;
    FakeView view;
    FakePort port;
    pointsfile::FileTable files;
    gauge::Transfer transfer;
    bool portValid = true;
};

}  // namespace testsupport
