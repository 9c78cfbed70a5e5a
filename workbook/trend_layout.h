#pragma once

#include <string_view>

#include "workbook/workbook.h"

namespace workbook::trend_layout {

inline constexpr const char* kTrendSheet = "Trend";
inline constexpr const char* kDownloadsSheet = "Downloads";

// The Downloads sheet: a heading row, then one row per selected download in time order.
enum DownloadsColumn : lxw_col_t {
    kPressedAtColumn,
    kCharacteristicColumn,
    kHostColumn,
    kPortColumn,
    kCountedColumn,
    kMeanColumn,
    kDeviationColumn,
    kMovingRangeColumn,
    kMinimumColumn,
    kMaximumColumn,
    kCpkColumn,
    kPpkColumn,
    kBelowColumn,
    kAboveColumn,
    kEndedWithColumn,
    kUidColumn,
    kRepeatOfColumn,
    kContinuesColumn,
};

// The Trend sheet's labels in A and figures in B, rows counted from 0; a blank row between groups.
enum TrendSheetRow : lxw_row_t {
    kTitleRow = 0,
    kHintRow = 1,
    kLowerRow = 3,
    kUpperRow,
    kNominalRow,
    kDownloadsRow = 7,
    kPointsRow,
    kGrandMeanRow = 10,
    kPooledRow,
    kWithinRow,
    kOverallRow,
    kMeansMovingRangeRow,
    kMeansLclRow,
    kMeansUclRow,
    kCpRow = 18,
    kCpkRow,
    kPpRow,
    kPpkRow,
    kOutRow = 23,
    kShareRow,
};

// Beside the two tolerance counts: why they do not follow the limits above.
inline constexpr lxw_col_t kNoteColumn = 2;

// The helper cells the figures and charts read, right of the charts, from row 1 down: one row per
// download in the trend (repeats and downloads without a counted value left out), then the S
// chart's stepped lines (two rows per download), then the level lines.
enum HelperColumn : lxw_col_t {
    kNumberColumn = 15,
    kPointsColumn,
    kMeanHelperColumn,
    kWeightedColumn,
    kSquaresColumn,
    kFreedomColumn,
    kBetweenColumn,
    kMeansRangeColumn,
    kDeviationHelperColumn,
    kC4Column,
    kCpkAtLimitsColumn,
    kCpkChartColumn,
    kOutHelperColumn,
    kJudgedColumn,
    kStepXColumn = 30,
    kStepCentreColumn,
    kStepLowerColumn,
    kStepUpperColumn,
    kLevelNameColumn = 35,
    kLevelFromColumn,
    kLevelStartColumn = 38,
};

// The names the Trend's formulas read by, besides LowerLimit, UpperLimit and NominalValue.
inline constexpr std::string_view kDownloadCountName = "DownloadCount";
inline constexpr std::string_view kPointCountName = "PointCount";
inline constexpr std::string_view kGrandMeanName = "GrandMean";
inline constexpr std::string_view kPooledName = "PooledSD";
inline constexpr std::string_view kWithinName = "WithinSigma";
inline constexpr std::string_view kOverallName = "OverallSD";
inline constexpr std::string_view kMeansMovingRangeName = "MeansMovingRange";

}  // namespace workbook::trend_layout
