#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pty_client.h"
#include "support/sim_process.h"

namespace testsupport {

// Starts the simulator with the test's arguments and attaches a client to its pty.
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

    PtyClient& start(const std::vector<std::string>& arguments) {
        launch(arguments);
        m_client = std::make_unique<PtyClient>(m_sim->ptyPath());
        return *m_client;
    }

    SimProcess& sim() { return *m_sim; }

private:
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<PtyClient> m_client;
};

}  // namespace testsupport
