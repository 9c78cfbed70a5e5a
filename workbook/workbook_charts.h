#pragma once

#include <string>

#include "workbook/workbook.h"

namespace workbook {

// Where the Summary's helper cells stand: the counted values (points 1 to n in one column, their
// values in the next), the run chart's level lines (a name, the first and last point, the level
// twice), the histogram's bins (centre, in-tolerance and out-of-tolerance counts). Rows 1 on.
struct ChartPlaces {
    lxw_worksheet* sheet = nullptr;
    lxw_col_t pointColumn = 0;
    lxw_col_t valueColumn = 0;
    lxw_col_t levelNameColumn = 0;
    lxw_col_t levelFromColumn = 0;
    lxw_col_t levelStartColumn = 0;
    lxw_row_t levels = 0;
    lxw_col_t binCentreColumn = 0;
    lxw_col_t binInColumn = 0;
    lxw_col_t binOutColumn = 0;
    lxw_row_t bins = 0;
};

// The run chart and the histogram beside the Summary's figures, both reading the helper cells, so
// that they follow every edit. `valueTitle`, in UTF-8, names the value axis ("Field 2 (mm)").
void insertCharts(Workbook& book, const ChartPlaces& places, lxw_row_t points,
                  const std::string& valueTitle, int decimals);

}  // namespace workbook
