#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "gauge/transfer.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"
#include "tools/gauge_model.h"

namespace testsupport {

// A transfer wired as the window wires it: the poll tick every 50 ms with the port valid, the
// watchdog's tick to the timeout; the gauge holds two statistics points and one memory point.
class TransferFixture : public ::testing::Test {
protected:
    TransferFixture() : transfer(view, port, files) {
        useGauge([](gaugesim::GaugeConfig&) {});
        port.open();
        transfer.startUp();
        view.onTick([this](view::Timer timer) {
            timer == view::Timer::timerCheckData ? transfer.pollTick(portValid)
                                                 : transfer.watchdogTick();
        });
        view.setTimerPeriod(view::Timer::timerCheckData, 50);
        view.setTimerRunning(view::Timer::timerCheckData, true);
    }

    void useGauge(const std::function<void(gaugesim::GaugeConfig&)>& change) {
        gaugesim::GaugeConfig config;
        config.statisticsPoints = {"MIN\t1.5", "MAX\t2.5"};
        config.memoryPoints = {"1\t12.001\tmm"};
        config.statisticsOpeningReply = "STAT";
        config.memoryOpeningReply = "MEM";
        change(config);
        port.gauge() = gaugesim::GaugeModel(config);
    }
    void pressAndSave(const std::string& name = "points.txt") {
        view.answerNextDialog(folder.file(name));
        transfer.press();
    }
    void tick(int count = 1) { view.advance(50LL * count); }
    void runToEnd() {
        for (int i = 0; i < 10000 && transfer.running(); ++i) {
            tick();
        }
    }
    std::string fileBytes(const std::string& name = "points.txt") const {
        return readBytes(folder.path() / name);
    }
    std::string lastMessage() const {
        return view.messageBoxes().empty() ? "" : view.messageBoxes().back().text;
    }

    TempFolder folder;
    FakeView view;
    FakePort port;
    pointsfile::FileTable files;
    gauge::Transfer transfer;
    bool portValid = true;
};

}  // namespace testsupport
