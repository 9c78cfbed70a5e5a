#include "tools/gauge_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace gaugesim {
namespace {

TEST(GaugeModel, AnswersEachCommandItsFramingAndItsFaults) {
    struct Case {
        std::function<void(GaugeConfig&)> faults;
        std::vector<std::pair<std::string, std::string>> exchanges;  // bytes in, bytes out
    };
    const Case cases[] = {
        {[](GaugeConfig&) {},
         {{"N", ""},
          {"Z", ""},
          {"\r", "STATISTICS\r\n"},  // CR ends a command wherever the bytes are cut
          {"NC\rNN\r", "2\r\nS1\r\n"},
          {"\nM\nZ\r\n", "MEMORY\r\n"},                    // line feeds are dropped anywhere
          {std::string(16, 'X') + "NZ\r", ""},             // an over-long command is lost whole
          {"nz\rN\rNZ \r\rVV\rMN\r", "M1\r\n"},            // unknown commands get no answer
          {"NN\rNZ\rNN\r", "S2\r\nSTATISTICS\r\nS1\r\n"},  // an opening restarts its section
          {"MN\rMN\rMC\r", "DM2\r\n\r\n2\r\n"},            // past the last point: an empty line
          {"V\r", "QORB V1.02\r\n"}}},
        {[](GaugeConfig& c) {
             c.memoryCountText = "-40000";
             c.stopAfterPoints = 2;
         },
         {{"NC\rMC\rNN\rMN\rNN\rMN\r", "2\r\n-40000\r\nS1\r\nM1\r\n"}}},
        {[](GaugeConfig& c) {
             c.ignoreFirstCommands = 2;
             c.omitLineFeed = true;
         },
         {{"NN\rV\rNN\rV\r", "S1\rQORB V1.02\r"}}},
        {[](GaugeConfig& c) { c.silent = true; }, {{"V\rNZ\rNC\r", ""}}},
    };
    for (const Case& c : cases) {
        GaugeConfig config;
        config.statisticsPoints = {"S1", "S2"};
        config.memoryPoints = {"M1", "DM2"};
        c.faults(config);
        GaugeModel gauge(config);
        for (const auto& [in, out] : c.exchanges) {
            EXPECT_EQ(gauge.receive(in), out) << in;
        }
    }
}

}  // namespace
}  // namespace gaugesim
