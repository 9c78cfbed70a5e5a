#pragma once

#include <string_view>

namespace gauge {

inline constexpr std::string_view kSaveDialogTitle = "Select directory and filename to save points";
inline constexpr std::string_view kDefaultPointsFileName = "MemoryPoints.txt";
inline constexpr std::string_view kDefaultPointsFileExtension = "txt";

inline constexpr std::string_view kTransferComplete = "Transfer Complete - Data saved in file ";
inline constexpr std::string_view kNoStatisticsPoints =
    "Gauge responds with 0 points in statistics";
inline constexpr std::string_view kNoMemoryPoints = "Gauge responds with 0 points in memory";
inline constexpr std::string_view kInvalidStatisticsCount =
    "Gauge responds with invalid point count in statistics";
inline constexpr std::string_view kInvalidMemoryCount =
    "Gauge responds with invalid point count in memory";
inline constexpr std::string_view kTimeout = "Timeout - Improper resonse from gauge";
inline constexpr std::string_view kUnableToOpen = "Unable to open file ";
inline constexpr std::string_view kUnableToWrite = "Unable to write file ";

}  // namespace gauge
