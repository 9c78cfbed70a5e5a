// The gauge model's command parser on arbitrary bytes in pieces: every reply is whole lines, a
// command gets at most one, the answers do not depend on where the input was cut, and the model
// keeps its memory bounded however long the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tools/gauge_model.h"

namespace {

bool isKnownCommand(std::string_view command) {
    for (std::string_view known : {"V", "NZ", "MZ", "NC", "MC", "NN", "MN"}) {
        if (command == known) {
            return true;
        }
    }
    return false;
}

// The commands in a byte stream as the line protocol frames them: CR ends one, LF is dropped, one
// that grew past the longest command is lost whole.
std::vector<std::string> framedCommands(std::string_view bytes) {
    std::vector<std::string> commands;
    std::string pending;
    bool tooLong = false;
    for (char c : bytes) {
        if (c == '\r') {
            if (!tooLong) {
                commands.push_back(pending);
            }
            pending.clear();
            tooLong = false;
        } else if (c != '\n') {
            pending += c;
            tooLong = tooLong || pending.size() > gaugesim::GaugeModel::kMaxCommandLength;
        }
    }
    return commands;
}

// The number of reply lines in the text, each ending as the gauge ends its lines; aborts when the
// text is not whole lines.
std::size_t wholeLines(std::string_view text, std::string_view lineEnd) {
    std::size_t lines = 0;
    while (!text.empty()) {
        const std::size_t end = text.find(lineEnd);
        FUZZ_CHECK(end != std::string_view::npos);
        // A line holds no line end of its own before the one that closes it.
        FUZZ_CHECK(text.substr(0, end).find_first_of("\r\n") == std::string_view::npos);
        text.remove_prefix(end + lineEnd.size());
        ++lines;
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

    std::vector<std::string> pieces;
    std::string input;
    while (provider.remaining_bytes() > 0) {
        const std::size_t length = provider.ConsumeIntegralInRange<std::size_t>(0, 40);
        pieces.push_back(provider.ConsumeBytesAsString(length));
        input += pieces.back();
    }

    gaugesim::GaugeModel model(config);
    std::string replies;
    for (const std::string& piece : pieces) {
        const std::string reply = model.receive(piece);
        // Replies go out whole with each piece, never a line cut between two of them.
        wholeLines(reply, config.omitLineFeed ? "\r" : "\r\n");
        replies += reply;
        FUZZ_CHECK(model.commandsReceived().size() <= gaugesim::GaugeModel::kCommandLogLimit);
    }

    const std::vector<std::string> commands = framedCommands(input);
    FUZZ_CHECK(model.commandCount() == commands.size());
    const std::vector<std::string>& log = model.commandsReceived();
    FUZZ_CHECK(log.size() <= commands.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
        FUZZ_CHECK(log[i] == commands[commands.size() - log.size() + i]);
    }

    std::size_t answerable = 0;
    for (std::size_t i = config.ignoreFirstCommands; i < commands.size(); ++i) {
        answerable += isKnownCommand(commands[i]) ? 1 : 0;
    }
    const std::size_t lines = wholeLines(replies, config.omitLineFeed ? "\r" : "\r\n");
    if (config.silent) {
        FUZZ_CHECK(lines == 0);
    } else if (!config.stopAfterPoints) {
        FUZZ_CHECK(lines == answerable);
    } else {
        FUZZ_CHECK(lines <= answerable);
    }

    // The same bytes in one piece get the same answers.
    gaugesim::GaugeModel whole(config);
    FUZZ_CHECK(whole.receive(input) == replies);
    return 0;
}
