#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pointsfile/summary_figures.h"
#include "workbook/workbook.h"

namespace workbook::summary_layout {

inline constexpr lxw_col_t kLabelColumn = 0;
inline constexpr lxw_col_t kFigureColumn = 1;

// Where the figures stand, rows counted from 0; a blank row between groups.
enum SummaryRow : lxw_row_t {
    kTitleRow = 0,
    kHintRow = 1,
    kLowerRow = 3,
    kUpperRow,
    kNominalRow,
    kFieldRow = 7,
    kUnitRow,
    kCountRow = 10,
    kMeanRow,
    kDeviationRow,
    kMinimumRow,
    kMaximumRow,
    kRangeRow,
    kMovingRangeRow = 17,
    kSigmaRow,
    kCpRow = 20,
    kCpkRow,
    kPpRow,
    kPpkRow,
    kBelowRow = 25,
    kAboveRow,
    kOutRow,
    kShareRow,
    kLclRow = 30,
    kUclRow,
};

// The helper cells the charts and the moving range read, right of the charts, from row 1 down:
// the counted values in order and the moving range from each to the next, the run chart's level
// lines, the histogram's bins.
inline constexpr lxw_col_t kPointColumn = 15;
inline constexpr lxw_col_t kValueColumn = 16;
inline constexpr lxw_col_t kMovingRangeColumn = 17;
inline constexpr lxw_col_t kLevelNameColumn = 18;
inline constexpr lxw_col_t kLevelFromColumn = 19;
inline constexpr lxw_col_t kLevelStartColumn = 21;
inline constexpr lxw_col_t kBinColumn = 24;
inline constexpr lxw_col_t kBinFromColumn = 25;
inline constexpr lxw_col_t kBinToColumn = 26;
inline constexpr lxw_col_t kBinCentreColumn = 27;
inline constexpr lxw_col_t kBinCountColumn = 28;
inline constexpr lxw_col_t kBinInColumn = 29;
inline constexpr lxw_col_t kBinOutColumn = 30;

// An absolute reference ("$B$4"), unless asked otherwise.
std::string cell(lxw_row_t row, lxw_col_t column, bool fixedRow = true, bool fixedColumn = true);
std::string relativeCell(lxw_row_t row, lxw_col_t column);
std::string range(lxw_row_t firstRow, lxw_col_t column, lxw_row_t lastRow);

// The Summary's cells and their looks. Rows must come in ascending order.
class SummaryCells {
public:
    SummaryCells(Workbook& book, lxw_worksheet* sheet, int decimals);

    void text(lxw_row_t row, lxw_col_t column, std::string_view text, lxw_format* format = nullptr);
    void utf8Text(lxw_row_t row, lxw_col_t column, std::string_view text,
                  lxw_format* format = nullptr);
    void number(lxw_row_t row, lxw_col_t column, double value);
    // With its result: a spreadsheet that does not recalculate on opening shows that.
    void formula(lxw_row_t row, lxw_col_t column, const std::string& formula,
                 const pointsfile::Figure& result, lxw_format* format = nullptr);
    // A labelled cell for the engineer to edit: shaded, and taking numbers only; `follows` says
    // what an edit moves, in the message shown beside the cell.
    void input(lxw_row_t row, std::string_view label, std::optional<double> value,
               std::string_view follows = "Every figure, line, bar and colour follows it.");

    lxw_format* const fine;
    lxw_format* const asSent;
    lxw_format* const ratio;
    lxw_format* const count;
    lxw_format* const share;
    lxw_format* const title;
    lxw_format* const hint;

private:
    Workbook& m_book;
    lxw_worksheet* m_sheet;
    lxw_format* m_input;
};

}  // namespace workbook::summary_layout
