// The gauge model's command parser on arbitrary bytes in pieces: replies are whole lines, a known
// command gets one, the answers do not depend on where the input was cut, and the command log stays
// bounded however long the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tools/gauge_model.h"

namespace {

// The number of lines in the text, each closed by the line end and holding no CR or LF of its own.
std::size_t wholeLines(std::string_view text, std::string_view lineEnd) {
    std::size_t lines = 0;
    for (std::size_t end; !text.empty(); text.remove_prefix(end + lineEnd.size()), ++lines) {
        end = text.find(lineEnd);
        FUZZ_CHECK(end != std::string_view::npos);
        FUZZ_CHECK(text.substr(0, end).find_first_of("\r\n") == std::string_view::npos);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    gaugesim::GaugeConfig config;
    config.statisticsPoints =
        gaugesim::generatedStatisticsPoints(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    config.memoryPoints =
        gaugesim::generatedMemoryPoints(provider.ConsumeIntegralInRange<std::size_t>(0, 12));
    config.omitLineFeed = provider.ConsumeBool();
    config.silent = provider.ConsumeIntegralInRange<int>(0, 9) == 0;
    config.ignoreFirstCommands = provider.ConsumeIntegralInRange<std::size_t>(0, 3);
    if (provider.ConsumeBool()) {
        config.stopAfterPoints = provider.ConsumeIntegralInRange<std::size_t>(0, 20);
    }
    if (provider.ConsumeBool()) {
        config.memoryCountText = provider.ConsumeBool() ? "-5" : "&H7FFF";
    }
    const std::string_view lineEnd = config.omitLineFeed ? "\r" : "\r\n";

    gaugesim::GaugeModel model(config);
    std::string input, replies;
    while (provider.remaining_bytes() > 0) {
        const std::string piece =
            provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 40));
        const std::string reply = model.receive(piece);
        wholeLines(reply, lineEnd);  // never a line cut between two pieces
        input += piece;
        replies += reply;
        FUZZ_CHECK(model.commandsReceived().size() <= gaugesim::GaugeModel::kCommandLogLimit);
    }

    // The commands as the line frames them: CR ends one, LF is dropped, an over-long one is lost.
    std::size_t commands = 0, answerable = 0;
    std::string pending;
    bool tooLong = false;
    for (char c : input) {
        if (c == '\r') {
            if (!tooLong && commands++ >= config.ignoreFirstCommands) {
                for (std::string_view known : {"V", "NZ", "MZ", "NC", "MC", "NN", "MN"}) {
                    answerable += pending == known ? 1 : 0;
                }
            }
            pending.clear();
            tooLong = false;
        } else if (c != '\n') {
            pending += c;
            tooLong = tooLong || pending.size() > gaugesim::GaugeModel::kMaxCommandLength;
        }
    }
    FUZZ_CHECK(model.commandCount() == commands);
    const std::size_t lines = wholeLines(replies, lineEnd);
    FUZZ_CHECK(config.silent            ? lines == 0
               : config.stopAfterPoints ? lines <= answerable
                                        : lines == answerable);
    // The same bytes in one piece get the same answers.
    gaugesim::GaugeModel whole(config);
    FUZZ_CHECK(whole.receive(input) == replies);
    return 0;
}
