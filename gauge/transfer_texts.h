#pragma once

#include <string_view>

namespace gauge {

inline constexpr std::string_view kSaveDialogTitle = "Select directory and filename to save points";
inline constexpr std::string_view kDefaultPointsFileName = "MemoryPoints.txt";
inline constexpr std::string_view kDefaultPointsFileExtension = "txt";
// The name's extension chooses the form; "All files" keeps the points file for any other name.
inline constexpr std::string_view kPointsFileFilter =
    "Points file (*.txt)|*.txt|Excel workbook (*.xlsx)|*.xlsx|CSV file (*.csv)|*.csv|"
    "All files (*)|*";

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
// How a download's record says it ended when a new press replaced it.
inline constexpr std::string_view kTransferReplaced = "Ended by a new transfer";

}  // namespace gauge
