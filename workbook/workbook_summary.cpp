#include "workbook/workbook_summary.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include "pointsfile/fields.h"
#include "pointsfile/tolerance_limits.h"
#include "workbook/summary_formulas.h"
#include "workbook/workbook_charts.h"
#include "workbook/workbook_summary_cells.h"

namespace workbook {

using pointsfile::countedValue;
using pointsfile::Figure;
using pointsfile::HistogramBins;
using pointsfile::histogramBins;
using pointsfile::kLowerLimitLabel;
using pointsfile::kNominalLabel;
using pointsfile::kUpperLimitLabel;
using pointsfile::latin1ToUtf8;
using pointsfile::splitFields;
using pointsfile::SummaryChoices;
using pointsfile::SummaryFigures;
using pointsfile::ValueFieldTally;

namespace {

using namespace summary_layout;

constexpr double kLabelColumnWidth = 24;
// Room for the longest text a figure can show ("needs LSL below USL") beside a number.
constexpr double kFigureColumnWidth = 22;

// The Points sheet's column of the field that marks a deleted point ("D5").
constexpr lxw_col_t kFirstFieldColumn = 1;

constexpr lxw_color_t kBeyondFill = 0xFFC7CE;
constexpr lxw_color_t kBeyondFont = 0x9C0006;

// What a spreadsheet shows in a helper cell that hides a chart's line.
constexpr std::string_view kNotAvailable = "#N/A";

// The field's name on the Points sheet's header.
std::string fieldName(int field) {
    return "Field " + std::to_string(field);
}

// One row of the figures' table.
struct TableRow {
    lxw_row_t row;
    std::string_view label;
    std::string formula;
    Figure figure;
    lxw_format* format = nullptr;
};

std::vector<TableRow> figuresTable(const SummaryFigures& figures, lxw_row_t n,
                                   const SummaryCells& look) {
    FormulaCells cells{n >= 2 ? range(2, kMovingRangeColumn, n) : "",
                       cell(kBelowRow, kFigureColumn), cell(kAboveRow, kFigureColumn),
                       cell(kOutRow, kFigureColumn)};
    FigureFormulas f = figureFormulas(cells);
    return {
        {kCountRow, "Points", std::move(f.points), {double(n), {}}, look.count},
        {kMeanRow, "Mean", std::move(f.mean), figures.mean, look.fine},
        {kDeviationRow, "Standard deviation", std::move(f.standardDeviation),
         figures.standardDeviation, look.fine},
        {kMinimumRow, "Minimum", std::move(f.minimum), figures.minimum, look.asSent},
        {kMaximumRow, "Maximum", std::move(f.maximum), figures.maximum, look.asSent},
        {kRangeRow, "Range", std::move(f.range), figures.range, look.asSent},
        {kMovingRangeRow, "Average moving range", std::move(f.averageMovingRange),
         figures.averageMovingRange, look.fine},
        {kSigmaRow, "Short-term sigma", std::move(f.shortTermSigma), figures.shortTermSigma,
         look.fine},
        {kCpRow, "Cp", std::move(f.cp), figures.cp, look.ratio},
        {kCpkRow, "Cpk", std::move(f.cpk), figures.cpk, look.ratio},
        {kPpRow, "Pp", std::move(f.pp), figures.pp, look.ratio},
        {kPpkRow, "Ppk", std::move(f.ppk), figures.ppk, look.ratio},
        {kBelowRow, "Below LSL", std::move(f.belowLower), figures.belowLower, look.count},
        {kAboveRow, "Above USL", std::move(f.aboveUpper), figures.aboveUpper, look.count},
        {kOutRow, "Out of tolerance", std::move(f.outOfTolerance), figures.outOfTolerance,
         look.count},
        {kShareRow, "Out of tolerance share", std::move(f.outOfToleranceShare),
         figures.outOfToleranceShare, look.share},
        {kLclRow, "LCL", std::move(f.lowerControlLimit), figures.lowerControlLimit, look.fine},
        {kUclRow, "UCL", std::move(f.upperControlLimit), figures.upperControlLimit, look.fine},
    };
}

void defineNames(Workbook& book, lxw_row_t n) {
    for (const auto& [name, row] : {std::pair{kLowerLimitName, kLowerRow},
                                    {kUpperLimitName, kUpperRow},
                                    {kNominalName, kNominalRow},
                                    {kCountName, kCountRow},
                                    {kMeanName, kMeanRow},
                                    {kDeviationName, kDeviationRow},
                                    {kMinimumName, kMinimumRow},
                                    {kMaximumName, kMaximumRow},
                                    {kMovingRangeName, kMovingRangeRow},
                                    {kSigmaName, kSigmaRow}}) {
        book.defineName(std::string(name), "=Summary!" + cell(row, kFigureColumn));
    }
    book.defineName(std::string(kCountedValuesName), "=Summary!" + range(1, kValueColumn, n));
}

// The helper cells' headings, in the title's row.
void writeHeadings(SummaryCells& cells, Workbook& book, const std::string& valueField) {
    for (const auto& [column, heading] : {std::pair{kPointColumn, "Point"},
                                          {kValueColumn, valueField.c_str()},
                                          {kMovingRangeColumn, "Moving range"},
                                          {kLevelNameColumn, "Line"},
                                          {kLevelFromColumn, "From point"},
                                          {kLevelFromColumn + 1, "To point"},
                                          {kLevelStartColumn, "Level"},
                                          {kLevelStartColumn + 1, "Level"},
                                          {kBinColumn, "Bin"},
                                          {kBinFromColumn, "From"},
                                          {kBinToColumn, "To"},
                                          {kBinCentreColumn, "Centre"},
                                          {kBinCountColumn, "Count"},
                                          {kBinInColumn, "In tolerance"},
                                          {kBinOutColumn, "Out of tolerance"}}) {
        cells.text(kTitleRow, column, heading, book.boldFormat());
    }
}

// A counted value beyond a limit on the Points sheet: red, whatever the limits become.
void markBeyondLimits(Workbook& book, lxw_worksheet* points, MemoryBlock block, lxw_col_t column) {
    std::string rule = beyondLimitsRule(relativeCell(block.first, column),
                                        cell(block.first, kFirstFieldColumn, false, true));
    lxw_format* const red = book.addFormat();
    format_set_bg_color(red, kBeyondFill);
    format_set_font_color(red, kBeyondFont);
    lxw_conditional_format beyond{};
    beyond.type = LXW_CONDITIONAL_TYPE_FORMULA;
    beyond.value_string = rule.data();
    beyond.format = red;
    book.check(worksheet_conditional_format_range(points, block.first, column,
                                                  block.first + block.rows - 1, column, &beyond));
}

// One bin of the histogram in its helper row: its edges and centre fixed, its counts formulas.
void writeBin(SummaryCells& cells, lxw_row_t row, const HistogramBins& bins, int count,
              const SummaryChoices& limits) {
    const std::size_t bin = row - 1;
    const double centre = bins.centre(bin);
    cells.number(row, kBinColumn, row);
    cells.number(row, kBinFromColumn, bins.lower(bin));
    cells.number(row, kBinToColumn, bins.upper(bin));
    cells.number(row, kBinCentreColumn, centre);
    const bool beyond = (limits.lowerLimit && centre < *limits.lowerLimit) ||
                        (limits.upperLimit && centre > *limits.upperLimit);
    const std::string counted = relativeCell(row, kBinCountColumn);
    cells.formula(
        row, kBinCountColumn,
        binCountFormula(relativeCell(row, kBinFromColumn), relativeCell(row, kBinToColumn),
                        bin == 0, bin + 1 == bins.count()),
        {double(count), {}});
    cells.formula(row, kBinInColumn,
                  inToleranceFormula(relativeCell(row, kBinCentreColumn), counted),
                  {beyond ? 0.0 : count, {}});
    cells.formula(row, kBinOutColumn, counted + "-" + relativeCell(row, kBinInColumn),
                  {beyond ? double(count) : 0.0, {}});
}

}  // namespace

WorkbookSummary::WorkbookSummary(const SummaryChoices& choices, const ValueFieldTally& memoryRows)
    : m_choices(choices),
      m_field(choices.valueField ? choices.valueField : memoryRows.valueField()),
      m_statistics(choices) {
    if (m_field) {
        m_numbers = memoryRows.numbersOf(*m_field);
        m_bins = histogramBins(m_numbers.numbers, m_numbers.minimum, m_numbers.maximum,
                               m_numbers.mostDecimals);
        m_binCounts.assign(m_bins.count(), 0);
    }
}

void WorkbookSummary::countRow(std::string_view pointLine) {
    if (!m_field) {
        return;
    }
    const std::optional<double> value = countedValue(pointLine, *m_field);
    if (!value) {
        return;
    }
    m_statistics.add(*value);
    ++m_binCounts[m_bins.binOf(*value)];
    m_unit.add(splitFields(pointLine), *m_field);
}

void WorkbookSummary::write(
    Workbook& book, lxw_worksheet* summary, lxw_worksheet* points, MemoryBlock block,
    const std::function<std::optional<std::string>()>& nextMemoryRow) const {
    worksheet_activate(summary);
    worksheet_set_column(summary, kLabelColumn, kLabelColumn, kLabelColumnWidth, nullptr);
    worksheet_set_column(summary, kFigureColumn, kFigureColumn, kFigureColumnWidth, nullptr);
    const SummaryFigures figures = m_statistics.figures();
    if (figures.points == 0) {
        book.writeText(summary, kTitleRow, kLabelColumn,
                       m_choices.valueField
                           ? "No figures: " + fieldName(*m_choices.valueField) +
                                 " of the memory points holds no number."
                           : "No figures: no field of the memory points holds a number.");
        return;
    }
    const auto n = static_cast<lxw_row_t>(figures.points);
    const std::string valueField = fieldName(*m_field);
    const std::string unit = m_unit.unit();
    const int decimals = m_numbers.mostDecimals;
    defineNames(book, n);
    SummaryCells cells(book, summary, decimals);
    const std::vector<TableRow> table = figuresTable(figures, n, cells);

    // The run chart's level lines, from the first point to the last, each hidden while empty.
    const struct {
        std::string_view name;
        std::string level;
        std::optional<double> value;
    } levels[] = {
        {"LSL", std::string(kLowerLimitName), m_choices.lowerLimit},
        {"USL", std::string(kUpperLimitName), m_choices.upperLimit},
        {"Mean", std::string(kMeanName), figures.mean.value},
        {"LCL", cell(kLclRow, kFigureColumn), figures.lowerControlLimit.value},
        {"UCL", cell(kUclRow, kFigureColumn), figures.upperControlLimit.value},
    };
    const auto levelRows = static_cast<lxw_row_t>(std::size(levels));
    const auto binRows = static_cast<lxw_row_t>(m_bins.count());

    // The counted values again, in order, with their rows on the Points sheet.
    lxw_row_t memoryIndex = 0;
    const auto nextCounted = [&]() -> std::optional<std::pair<lxw_row_t, double>> {
        for (std::optional<std::string> line = nextMemoryRow(); line; line = nextMemoryRow()) {
            const lxw_row_t row = block.first + memoryIndex++;
            if (const std::optional<double> value = countedValue(*line, *m_field)) {
                return std::pair(row, *value);
            }
        }
        return std::nullopt;
    };

    double previousValue = 0;
    auto nextTableRow = table.begin();
    for (lxw_row_t row = 0; row <= std::max({lxw_row_t{kUclRow}, n, levelRows, binRows}); ++row) {
        if (row == kTitleRow) {
            // What was measured, when the download names it: the engineer's first question.
            cells.utf8Text(row, kLabelColumn,
                           m_choices.characteristic.empty()
                               ? std::string("Summary")
                               : "Summary: " + m_choices.characteristic,
                           cells.title);
            writeHeadings(cells, book, valueField);
        } else if (row == kHintRow) {
            cells.text(row, kLabelColumn,
                       "Edit the shaded limits: every figure, line, bar and colour follows.",
                       cells.hint);
        } else if (row == kLowerRow) {
            cells.input(row, kLowerLimitLabel, m_choices.lowerLimit);
        } else if (row == kUpperRow) {
            cells.input(row, kUpperLimitLabel, m_choices.upperLimit);
        } else if (row == kNominalRow) {
            cells.input(row, kNominalLabel, m_choices.nominal);
        } else if (row == kFieldRow) {
            cells.text(row, kLabelColumn, "Value field");
            cells.text(row, kFigureColumn, valueField);
        } else if (row == kUnitRow) {
            cells.text(row, kLabelColumn, "Unit");
            if (!unit.empty()) {
                cells.text(row, kFigureColumn, unit);
            }
        } else if (nextTableRow != table.end() && nextTableRow->row == row) {
            cells.text(row, kLabelColumn, nextTableRow->label);
            cells.formula(row, kFigureColumn, nextTableRow->formula, nextTableRow->figure,
                          nextTableRow->format);
            ++nextTableRow;
        }

        if (row < 1) {
            continue;
        }
        if (const auto point = row <= n ? nextCounted() : std::nullopt) {
            cells.number(row, kPointColumn, row);
            cells.formula(row, kValueColumn,
                          "Points!" + cell(point->first, static_cast<lxw_col_t>(*m_field)),
                          {point->second, {}});
            if (row > 1) {
                cells.formula(row, kMovingRangeColumn,
                              movingRangeFormula(relativeCell(row, kValueColumn),
                                                 relativeCell(row - 1, kValueColumn)),
                              {std::abs(point->second - previousValue), {}});
            }
            previousValue = point->second;
        }
        if (row <= levelRows) {
            const auto& level = levels[row - 1];
            cells.text(row, kLevelNameColumn, level.name);
            cells.number(row, kLevelFromColumn, 1);
            cells.number(row, kLevelFromColumn + 1, n);
            for (const lxw_col_t column : {kLevelStartColumn, lxw_col_t(kLevelStartColumn + 1)}) {
                cells.formula(row, column, levelFormula(level.level), {level.value, kNotAvailable});
            }
        }
        if (row <= binRows) {
            writeBin(cells, row, m_bins, m_binCounts[row - 1], m_choices);
        }
    }

    insertCharts(
        book,
        {summary, kPointColumn, kValueColumn, kLevelNameColumn, kLevelFromColumn, kLevelStartColumn,
         levelRows, kBinCentreColumn, kBinInColumn, kBinOutColumn, binRows},
        n, latin1ToUtf8(valueField + (unit.empty() ? "" : " (" + unit + ")")), decimals);
    if (block.rows > 0) {
        markBeyondLimits(book, points, block, static_cast<lxw_col_t>(*m_field));
    }
}

}  // namespace workbook
