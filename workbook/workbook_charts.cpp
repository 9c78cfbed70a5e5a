#include "workbook/workbook_charts.h"

#include <algorithm>

namespace workbook {

namespace {

constexpr const char* kSheet = "Summary";
constexpr lxw_col_t kChartColumn = 3;
constexpr lxw_row_t kRunChartRow = 0;
constexpr lxw_row_t kHistogramRow = 17;
constexpr double kChartWidthScale = 1.6;
constexpr double kChartHeightScale = 1.1;

constexpr lxw_color_t kValueColour = 0x1F4E79;
constexpr lxw_color_t kLimitColour = 0xC00000;
constexpr lxw_color_t kMeanColour = 0x00B050;
constexpr lxw_color_t kControlColour = 0xED7D31;
constexpr lxw_color_t kInToleranceColour = 0x5B9BD5;

void draw(lxw_chart_series* series, Stroke stroke) {
    lxw_chart_line line{};
    if (stroke == Stroke::Values) {
        line.color = kValueColour;
        line.width = 1;
        chart_series_set_line(series, &line);
        chart_series_set_marker_type(series, LXW_CHART_MARKER_CIRCLE);
        chart_series_set_marker_size(series, 3);
        chart_series_set_marker_line(series, &line);
        lxw_chart_fill markerFill{};
        markerFill.color = kValueColour;
        chart_series_set_marker_fill(series, &markerFill);
        return;
    }
    line.color = stroke == Stroke::Limit    ? kLimitColour
                 : stroke == Stroke::Centre ? kMeanColour
                                            : kControlColour;
    line.width = 1.5;
    line.dash_type =
        stroke == Stroke::Control ? LXW_CHART_LINE_DASH_DASH : LXW_CHART_LINE_DASH_SOLID;
    chart_series_set_line(series, &line);
    chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
}

void histogram(Workbook& book, const ChartPlaces& at, const std::string& valueTitle, int decimals) {
    lxw_chart* chart = book.addChart(LXW_CHART_COLUMN_STACKED);
    chart_title_set_name(chart, "Histogram");
    const struct {
        lxw_col_t column;
        lxw_color_t colour;
    } parts[] = {{at.binInColumn, kInToleranceColour}, {at.binOutColumn, kLimitColour}};
    for (const auto& part : parts) {
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(series, kSheet, 1, at.binCentreColumn, at.bins,
                                    at.binCentreColumn);
        chart_series_set_values(series, kSheet, 1, part.column, at.bins, part.column);
        chart_series_set_name_range(series, kSheet, 0, part.column);
        lxw_chart_fill fill{};
        fill.color = part.colour;
        chart_series_set_fill(series, &fill);
    }
    chart_set_series_overlap(chart, 100);
    chart_set_series_gap(chart, 10);
    chart_axis_set_name(chart->x_axis, valueTitle.c_str());
    chart_axis_set_num_format(chart->x_axis, Workbook::decimalsPattern(decimals + 1).c_str());
    chart_axis_set_name(chart->y_axis, "Points");
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    placeChart(book, at.sheet, kHistogramRow, chart);
}

}  // namespace

lxw_chart* scatterChart(Workbook& book, const char* title, const ChartAxes& axes) {
    lxw_chart* chart = book.addChart(LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    chart_title_set_name(chart, title);
    chart_axis_set_name(chart->x_axis, axes.xTitle);
    chart_axis_set_min(chart->x_axis, axes.xMinimum);
    chart_axis_set_max(chart->x_axis, axes.xMaximum);
    chart_axis_set_name(chart->y_axis, axes.yTitle.c_str());
    chart_axis_set_num_format(chart->y_axis, axes.yPattern.c_str());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    return chart;
}

void addSeries(lxw_chart* chart, const SeriesCells& cells, Stroke stroke) {
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    chart_series_set_categories(series, cells.sheet, cells.first, cells.xColumn, cells.last,
                                cells.xColumn);
    chart_series_set_values(series, cells.sheet, cells.first, cells.yColumn, cells.last,
                            cells.yColumn);
    chart_series_set_name_range(series, cells.sheet, 0, cells.yColumn);
    draw(series, stroke);
}

void addLevelLine(lxw_chart* chart, const LevelCells& cells, lxw_row_t row, Stroke stroke) {
    lxw_chart_series* level = chart_add_series(chart, nullptr, nullptr);
    chart_series_set_categories(level, cells.sheet, row, cells.fromColumn, row,
                                cells.fromColumn + 1);
    chart_series_set_values(level, cells.sheet, row, cells.levelColumn, row, cells.levelColumn + 1);
    chart_series_set_name_range(level, cells.sheet, row, cells.nameColumn);
    draw(level, stroke);
}

void placeChart(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, lxw_chart* chart) {
    lxw_chart_options options{};
    options.x_scale = kChartWidthScale;
    options.y_scale = kChartHeightScale;
    book.check(worksheet_insert_chart_opt(sheet, row, kChartColumn, chart, &options));
}

void insertCharts(Workbook& book, const ChartPlaces& places, lxw_row_t points,
                  const std::string& valueTitle, int decimals) {
    lxw_chart* run = scatterChart(book, "Run chart",
                                  {"Point", 1, double(std::max<lxw_row_t>(points, 2)), valueTitle,
                                   Workbook::decimalsPattern(decimals)});
    addSeries(run, {kSheet, places.pointColumn, places.valueColumn, 1, points}, Stroke::Values);
    const LevelCells levels{kSheet, places.levelNameColumn, places.levelFromColumn,
                            places.levelStartColumn};
    for (lxw_row_t row = 1; row <= places.levels; ++row) {
        addLevelLine(run, levels, row,
                     kLimitsAndControlLines[std::min<std::size_t>(
                         row - 1, kLimitsAndControlLines.size() - 1)]);
    }
    placeChart(book, places.sheet, kRunChartRow, run);
    histogram(book, places, valueTitle, decimals);
}

}  // namespace workbook
