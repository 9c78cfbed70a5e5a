#include "workbook/trend_charts.h"

#include <string>
#include <utility>

#include "workbook/trend_layout.h"
#include "workbook/workbook_charts.h"

namespace workbook {

using namespace trend_layout;

namespace {

constexpr lxw_row_t kMeansChartRow = 0;
constexpr lxw_row_t kSChartRow = 17;
constexpr lxw_row_t kCpkChartRow = 34;

}  // namespace

void insertTrendCharts(Workbook& book, lxw_worksheet* trend, lxw_row_t downloads, int decimals) {
    // Each download at its number, its steps half a download either side.
    const auto axes = [downloads](std::string yTitle, std::string yPattern) {
        return ChartAxes{"Download", 0.5, downloads + 0.5, std::move(yTitle), std::move(yPattern)};
    };
    const auto perDownload = [downloads](lxw_col_t column) {
        return SeriesCells{kTrendSheet, kNumberColumn, column, 1, downloads};
    };
    const LevelCells levels{kTrendSheet, kLevelNameColumn, kLevelFromColumn, kLevelStartColumn};

    lxw_chart* means =
        scatterChart(book, "Means", axes("Mean", Workbook::decimalsPattern(decimals + 1)));
    addSeries(means, perDownload(kMeanHelperColumn), Stroke::Values);
    for (lxw_row_t row = 1; row <= kMeansLevels; ++row) {
        addLevelLine(means, levels, row, kLimitsAndControlLines[row - 1]);
    }
    placeChart(book, trend, kMeansChartRow, means);

    lxw_chart* s = scatterChart(
        book, "S chart", axes("Standard deviation", Workbook::decimalsPattern(decimals + 2)));
    addSeries(s, perDownload(kDeviationHelperColumn), Stroke::Values);
    for (const auto& [column, stroke] : {std::pair{kStepCentreColumn, Stroke::Centre},
                                         {kStepLowerColumn, Stroke::Control},
                                         {kStepUpperColumn, Stroke::Control}}) {
        addSeries(s, {kTrendSheet, kStepXColumn, column, 1, 2 * downloads}, stroke);
    }
    placeChart(book, trend, kSChartRow, s);

    lxw_chart* cpk = scatterChart(book, "Cpk by download", axes("Cpk", "0.00"));
    addSeries(cpk, perDownload(kCpkChartColumn), Stroke::Values);
    addLevelLine(cpk, levels, kCapableLevelRow, Stroke::Limit);
    placeChart(book, trend, kCpkChartRow, cpk);
}

}  // namespace workbook
