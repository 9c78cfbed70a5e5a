#include "tools/gauge_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace gaugesim {
namespace {

// The faults are shown where the simulator's options choose them.
TEST(GaugeModel, AnswersEachCommandAsTheLineFramesIt) {
    GaugeConfig config;
    config.statisticsPoints = {"S1", "S2"};
    config.memoryPoints = {"M1", "DM2"};
    GaugeModel gauge(config);
    const std::pair<std::string, std::string> exchanges[] = {
        {"N", ""},
        {"Z", ""},
        {"\r", "STATISTICS\r\n"},  // CR ends a command wherever the bytes are cut
        {"NC\rNN\r", "2\r\nS1\r\n"},
        {"\nM\nZ\r\n", "MEMORY\r\n"},                    // line feeds are dropped anywhere
        {std::string(16, 'X') + "NZ\r", ""},             // an over-long command is lost whole
        {"nz\rN\rNZ \r\rVV\rMN\r", "M1\r\n"},            // unknown commands get no answer
        {"NN\rNZ\rNN\r", "S2\r\nSTATISTICS\r\nS1\r\n"},  // an opening restarts its section
        {"MN\rMN\rMC\r", "DM2\r\n\r\n2\r\n"},            // past the last point: an empty line
        {"V\r", "QORB V1.02\r\n"}};
    for (const auto& [in, out] : exchanges) {
        EXPECT_EQ(gauge.receive(in), out) << in;
    }
}

}  // namespace
}  // namespace gaugesim
