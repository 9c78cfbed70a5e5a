#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gaugesim {

// What the simulated gauge holds and how it misbehaves. Point texts are the lines without their
// line end; a memory point the gauge marks as deleted begins with "D".
struct GaugeConfig {
    std::vector<std::string> statisticsPoints;
    std::vector<std::string> memoryPoints;
    std::string statisticsOpeningReply = "STATISTICS";
    std::string memoryOpeningReply = "MEMORY";
    std::string versionText = "QORB V1.02";
    // Sent instead of the true count, e.g. garbage, a negative or a huge number.
    std::optional<std::string> statisticsCountText;
    std::optional<std::string> memoryCountText;
    // Never answers anything.
    bool silent = false;
    // Goes silent after this many point replies ("NN" and "MN" together).
    std::optional<std::size_t> stopAfterPoints;
    // Ends every reply with CR only, so no reply ever completes.
    bool omitLineFeed = false;
    // The first commands get no answer and change nothing, as if lost on the way.
    std::size_t ignoreFirstCommands = 0;
};

// Points made up for demonstrations and tests: tab-separated values, every fifth memory point
// marked deleted.
std::vector<std::string> generatedStatisticsPoints(std::size_t count);
std::vector<std::string> generatedMemoryPoints(std::size_t count);

// The gauge's side of the line: bytes in, reply bytes out. Commands end in CR; line feeds and
// bytes of an over-long command are dropped. Unknown commands get no reply.
class GaugeModel {
public:
    explicit GaugeModel(GaugeConfig config);

    // Takes bytes from the line and returns the replies to every command they complete.
    std::string receive(std::string_view bytes);

    const GaugeConfig& config() const { return m_config; }
    // The latest commands received, without their CR, in order: at most kCommandLogLimit, so a
    // gauge that answers for hours keeps its memory.
    const std::vector<std::string>& commandsReceived() const { return m_commands; }
    // Every command received since the gauge was made.
    std::size_t commandCount() const { return m_commandCount; }

    static constexpr std::size_t kMaxCommandLength = 16;
    static constexpr std::size_t kCommandLogLimit = 1024;

private:
    std::string answer(const std::string& command);
    std::string line(std::string_view text) const;
    std::string nextPoint(const std::vector<std::string>& points, std::size_t& cursor);

    GaugeConfig m_config;
    std::string m_pending;
    bool m_pendingTooLong = false;
    std::vector<std::string> m_commands;
    std::size_t m_commandCount = 0;
    std::size_t m_statisticsCursor = 0;
    std::size_t m_memoryCursor = 0;
    std::size_t m_pointsAnswered = 0;
    std::size_t m_commandsIgnored = 0;
};

}  // namespace gaugesim
