#pragma once

#include <vector>

#include "history/history_reader.h"
#include "workbook/workbook.h"

namespace workbook {

// The trend workbook's "Downloads" sheet: a heading row, then each download of `rows` in time
// order with its figures from the history (an empty cell where its Summary says why a figure
// cannot be computed), how it ended, its uid, and what it repeats or continues. Figures of the
// gauge's values show `decimals` decimals, and 2 more for means and spreads.
void writeDownloadsSheet(Workbook& book, lxw_worksheet* sheet,
                         const std::vector<history::TrendRow>& rows, int decimals);

}  // namespace workbook
