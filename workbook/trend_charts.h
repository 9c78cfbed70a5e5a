#pragma once

#include "workbook/workbook.h"

namespace workbook {

// The level lines' helper rows, from row 1: the means chart's LSL, USL, grand mean, LCL and UCL,
// then the Cpk chart's line at 1.33.
inline constexpr lxw_row_t kMeansLevels = 5;
inline constexpr lxw_row_t kCapableLevelRow = kMeansLevels + 1;

// The Trend's charts beside its figures, each reading the helper cells so that it follows an
// edited limit: the download means with the grand mean, their control limits and the tolerance
// limits; the downloads' standard deviations with the S chart's stepped centre and limits; each
// download's Cpk at the Trend's limits with a line at 1.33. `downloads` helper rows, the values'
// `decimals`.
void insertTrendCharts(Workbook& book, lxw_worksheet* trend, lxw_row_t downloads, int decimals);

}  // namespace workbook
