#pragma once

#include <string>
#include <vector>

#include "history/history_reader.h"
#include "pointsfile/summary_choices.h"

namespace workbook {

// The trend workbook of downloads from the history, `rows` in time order: the "Trend" sheet,
// first and active, with the limits as inputs (starting from `startingLimits`), the figures of
// the downloads in the trend and its three charts, each a live formula over the "Downloads"
// sheet, one row per download with its figures from the history. Repeats are listed there and
// left out of every figure and chart. Rows are written in order with the library's constant
// memory, so memory stays flat whatever the selection. Throws pointsfile::FileError naming the
// file; a workbook that could not be finished is removed.
void writeTrendWorkbook(const std::string& path, const std::vector<history::TrendRow>& rows,
                        const pointsfile::SummaryChoices& startingLimits,
                        const std::string& characteristic);

}  // namespace workbook
