#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pointsfile/summary_choices.h"
#include "pointsfile/summary_figures.h"
#include "pointsfile/value_field.h"
#include "pointsfile/value_unit.h"
#include "workbook/workbook.h"

namespace workbook {

// The memory rows' place on the Points sheet, rows counted from 0 (the header's row).
struct MemoryBlock {
    lxw_row_t first = 0;
    lxw_row_t rows = 0;
};

// The workbook's Summary sheet: the figures of one field's counted values, each a live formula
// over the Points sheet written with the result this program computes (a spreadsheet that does not
// recalculate on opening shows that), its input cells, its run chart and histogram, and the red
// fill of the Points sheet's values beyond the limits.
class WorkbookSummary {
public:
    // The memory rows tallied as they arrived choose the value field, unless the choices name it.
    WorkbookSummary(const pointsfile::SummaryChoices& choices,
                    const pointsfile::ValueFieldTally& memoryRows);

    // Every memory row, in order, as the Points sheet takes it.
    void countRow(std::string_view pointLine);

    // The Summary's rows are written in ascending order, the counted values among them:
    // `nextMemoryRow` gives the memory rows again, in order, then nothing.
    void write(Workbook& book, lxw_worksheet* summary, lxw_worksheet* points, MemoryBlock block,
               const std::function<std::optional<std::string>()>& nextMemoryRow) const;

private:
    pointsfile::SummaryChoices m_choices;
    std::optional<int> m_field;
    pointsfile::FieldNumbers m_numbers;
    pointsfile::ValueStatistics m_statistics;
    pointsfile::HistogramBins m_bins;
    std::vector<int> m_binCounts;
    pointsfile::ValueUnit m_unit;
};

}  // namespace workbook
