// The gauge model's command parser on arbitrary bytes in pieces under the sanitizers: its answers
// do not depend on where the input was cut, and its command log stays bounded.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "tools/gauge_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    gaugesim::GaugeConfig config;
    config.statisticsPoints =
        gaugesim::generatedStatisticsPoints(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    config.memoryPoints =
        gaugesim::generatedMemoryPoints(provider.ConsumeIntegralInRange<std::size_t>(0, 12));
    config.ignoreFirstCommands = provider.ConsumeIntegralInRange<std::size_t>(0, 3);
    if (provider.ConsumeBool()) {
        config.stopAfterPoints = provider.ConsumeIntegralInRange<std::size_t>(0, 20);
    }
    gaugesim::GaugeModel model(config);
    std::string input, replies;
    while (provider.remaining_bytes() > 0) {
        const std::string piece =
            provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 40));
        input += piece;
        replies += model.receive(piece);
    }
    gaugesim::GaugeModel whole(config);
    FUZZ_CHECK(whole.receive(input) == replies);
    FUZZ_CHECK(model.commandsReceived().size() <= gaugesim::GaugeModel::kCommandLogLimit);
    return 0;
}
