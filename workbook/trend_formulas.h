#pragma once

#include <string>

#include "workbook/workbook.h"

namespace workbook {

// The Trend's figures, each a formula without its "=" over the helper rows of the downloads in
// the trend (1 to `downloads`, at least one): the spreadsheet's own form of the rules
// history::trendFigures follows, which gives the results written with them.
struct TrendFormulas {
    std::string downloads, points, grandMean, pooled, within, overall;
    std::string meansMovingRange, meansLcl, meansUcl;
    std::string cp, cpk, pp, ppk;
    std::string outOfTolerance, outOfToleranceShare;
};

TrendFormulas trendFormulas(lxw_row_t downloads);

// One download's helper row `row`, read from its row `source` of the Downloads sheet: one plain
// formula a cell, which the figures sum or average. The first row has no moving range.
struct DownloadFormulas {
    std::string points, mean, weighted, squares, freedom, between, movingRange;
    std::string deviation, c4, cpkAtLimits, cpkChart, outOfTolerance, judged;
};

DownloadFormulas downloadFormulas(lxw_row_t row, lxw_row_t source);

// A row of the S chart's stepped lines for the download in helper row `download`; #N/A hides
// a step that cannot be drawn.
struct StepFormulas {
    std::string centre, lower, upper;
};

StepFormulas stepFormulas(lxw_row_t row, lxw_row_t download);

}  // namespace workbook
