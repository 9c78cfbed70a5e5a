#include "tools/gauge_model.h"

#include <cstdio>
#include <utility>

namespace gaugesim {

std::vector<std::string> generatedStatisticsPoints(std::size_t count) {
    static const char* const kNames[] = {"N", "MIN", "MAX", "AVG", "RANGE", "STDDEV"};
    std::vector<std::string> points;
    for (std::size_t i = 0; i < count; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%s\t%.4f\tmm", kNames[i % 6], 12.5 + 0.0125 * double(i));
        points.emplace_back(text);
    }
    return points;
}

std::vector<std::string> generatedMemoryPoints(std::size_t count) {
    std::vector<std::string> points;
    for (std::size_t i = 1; i <= count; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%s%zu\t%.4f\tmm", i % 5 == 0 ? "D" : "", i,
                      12.0 + 0.0007 * double(i % 997));
        points.emplace_back(text);
    }
    return points;
}

GaugeModel::GaugeModel(GaugeConfig config) : m_config(std::move(config)) {}

std::string GaugeModel::receive(std::string_view bytes) {
    std::string replies;
    for (char c : bytes) {
        if (c == '\n') {
            continue;
        }
        if (c != '\r') {
            if (m_pending.size() < kMaxCommandLength) {
                m_pending.push_back(c);
            } else {
                m_pendingTooLong = true;
            }
            continue;
        }
        std::string command;
        command.swap(m_pending);
        if (m_pendingTooLong) {
            m_pendingTooLong = false;
            continue;
        }
        if (m_commands.size() == kCommandLogLimit) {
            m_commands.erase(m_commands.begin(), m_commands.begin() + kCommandLogLimit / 2);
        }
        m_commands.push_back(command);
        ++m_commandCount;
        replies += answer(command);
    }
    return replies;
}

std::string GaugeModel::answer(const std::string& command) {
    if (m_commandsIgnored < m_config.ignoreFirstCommands) {
        ++m_commandsIgnored;
        return {};
    }
    if (m_config.silent) {
        return {};
    }
    if (command == "V") {
        return line(m_config.versionText);
    }
    if (command == "NZ") {
        m_statisticsCursor = 0;
        return line(m_config.statisticsOpeningReply);
    }
    if (command == "MZ") {
        m_memoryCursor = 0;
        return line(m_config.memoryOpeningReply);
    }
    if (command == "NC") {
        return line(m_config.statisticsCountText.value_or(
            std::to_string(m_config.statisticsPoints.size())));
    }
    if (command == "MC") {
        return line(
            m_config.memoryCountText.value_or(std::to_string(m_config.memoryPoints.size())));
    }
    if (command == "NN") {
        return nextPoint(m_config.statisticsPoints, m_statisticsCursor);
    }
    if (command == "MN") {
        return nextPoint(m_config.memoryPoints, m_memoryCursor);
    }
    return {};
}

std::string GaugeModel::nextPoint(const std::vector<std::string>& points, std::size_t& cursor) {
    if (m_config.stopAfterPoints && m_pointsAnswered >= *m_config.stopAfterPoints) {
        return {};
    }
    ++m_pointsAnswered;
    // Asked past its last point, the gauge answers an empty line.
    if (cursor >= points.size()) {
        return line("");
    }
    return line(points[cursor++]);
}

std::string GaugeModel::line(std::string_view text) const {
    std::string reply(text);
    reply += m_config.omitLineFeed ? "\r" : "\r\n";
    return reply;
}

}  // namespace gaugesim
