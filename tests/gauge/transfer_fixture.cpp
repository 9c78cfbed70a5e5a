#include "transfer_fixture.h"

namespace testsupport {

TransferFixture::TransferFixture(gaugesim::GaugeConfig config)
    : port(std::move(config)), transfer(view, port, files) {
    port.open();
    transfer.startUp();
    view.onTick([this](view::Timer timer) {
        if (timer == view::Timer::timerCheckData) {
            transfer.pollTick(portValid);
        } else if (timer == view::Timer::tmrCheckTimeout) {
            transfer.watchdogTick();
        }
    });
    view.setTimerPeriod(view::Timer::timerCheckData, 50);
    view.setTimerRunning(view::Timer::timerCheckData, true);
}

gaugesim::GaugeConfig TransferFixture::defaultGauge() {
    gaugesim::GaugeConfig config;
    config.statisticsPoints = {"MIN\t1.5", "MAX\t2.5"};
    config.memoryPoints = {"1\t12.001\tmm"};
    config.statisticsOpeningReply = "STAT";
    config.memoryOpeningReply = "MEM";
    return config;
}

void TransferFixture::useGauge(const std::function<void(gaugesim::GaugeConfig&)>& change) {
    gaugesim::GaugeConfig config = defaultGauge();
    change(config);
    port.gauge() = gaugesim::GaugeModel(config);
}

void TransferFixture::pressAndSave(const std::string& name) {
    view.answerNextDialog(folder.file(name));
    transfer.press();
}

void TransferFixture::runToEnd(int maxTicks) {
    for (int i = 0; i < maxTicks && transfer.running(); ++i) {
        tick();
    }
}

std::string TransferFixture::fileBytes(const std::string& name) const {
    return readBytes(folder.path() / name);
}

std::vector<std::string> TransferFixture::messages() const {
    std::vector<std::string> texts;
    for (const auto& box : view.messageBoxes()) {
        texts.push_back(box.text);
    }
    return texts;
}

}  // namespace testsupport
