#pragma once

#include <array>
#include <string>

#include "workbook/workbook.h"

namespace workbook {

// How a chart draws a series: the values themselves, a tolerance limit, a centre line or a
// control limit.
enum class Stroke { Values, Limit, Centre, Control };

// The level lines of a run chart in their order: LSL, USL, the centre, LCL, UCL.
inline constexpr std::array<Stroke, 5> kLimitsAndControlLines = {
    Stroke::Limit, Stroke::Limit, Stroke::Centre, Stroke::Control, Stroke::Control};

// A series of helper cells: x in one column, y in another, rows `first` to `last`, named by the y
// column's heading in row 0.
struct SeriesCells {
    const char* sheet = nullptr;
    lxw_col_t xColumn = 0;
    lxw_col_t yColumn = 0;
    lxw_row_t first = 1;
    lxw_row_t last = 1;
};

// Level lines, a helper row each: the line's name, its first and last x in two columns, and its
// level twice.
struct LevelCells {
    const char* sheet = nullptr;
    lxw_col_t nameColumn = 0;
    lxw_col_t fromColumn = 0;
    lxw_col_t levelColumn = 0;
};

// A chart's axes: titles in UTF-8, the x range, the y numbers' pattern.
struct ChartAxes {
    const char* xTitle = "";
    double xMinimum = 0;
    double xMaximum = 1;
    std::string yTitle;
    std::string yPattern;
};

// A scatter chart, its legend below; series join each point to the next.
lxw_chart* scatterChart(Workbook& book, const char* title, const ChartAxes& axes);
void addSeries(lxw_chart* chart, const SeriesCells& cells, Stroke stroke);
void addLevelLine(lxw_chart* chart, const LevelCells& cells, lxw_row_t row, Stroke stroke);
// At column D, below `row`, in the size every chart of the workbooks has.
void placeChart(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, lxw_chart* chart);

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
