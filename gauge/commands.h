#pragma once

#include <string_view>

namespace gauge {

// The gauge's commands without their closing CR. "N…" is the statistics section, "M…" the memory
// section: Z opens the section, C asks for its count, N for its next point.
inline constexpr std::string_view kStatisticsOpen = "NZ";
inline constexpr std::string_view kStatisticsCount = "NC";
inline constexpr std::string_view kStatisticsNext = "NN";
inline constexpr std::string_view kMemoryOpen = "MZ";
inline constexpr std::string_view kMemoryCount = "MC";
inline constexpr std::string_view kMemoryNext = "MN";
inline constexpr std::string_view kVersion = "V";

inline constexpr char kCommandEnd = '\r';
inline constexpr char kLineFeed = '\n';

}  // namespace gauge
