#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/pty_end.h"
#include "support/sim_process.h"

namespace testsupport {

// Starts the simulator with the test's arguments and attaches the test to its pty.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!simulatorAvailable()) {
            GTEST_SKIP() << "qorb-gauge-sim is not built or no pseudo-terminal can be opened here";
        }
    }

    SimProcess& launch(const std::vector<std::string>& arguments) {
        m_sim = std::make_unique<SimProcess>(arguments);
        return *m_sim;
    }

    PtyEnd& start(const std::vector<std::string>& arguments) {
        launch(arguments);
        m_client = std::make_unique<PtyEnd>(m_sim->ptyPath());
        return *m_client;
    }

    SimProcess& sim() { return *m_sim; }

private:
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<PtyEnd> m_client;
};

}  // namespace testsupport
