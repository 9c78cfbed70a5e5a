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

void place(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, lxw_chart* chart) {
    lxw_chart_options options{};
    options.x_scale = kChartWidthScale;
    options.y_scale = kChartHeightScale;
    book.check(worksheet_insert_chart_opt(sheet, row, kChartColumn, chart, &options));
}

void runChart(Workbook& book, const ChartPlaces& at, lxw_row_t points,
              const std::string& valueTitle, int decimals) {
    lxw_chart* chart = book.addChart(LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    chart_title_set_name(chart, "Run chart");
    lxw_chart_series* values = chart_add_series(chart, nullptr, nullptr);
    chart_series_set_categories(values, kSheet, 1, at.pointColumn, points, at.pointColumn);
    chart_series_set_values(values, kSheet, 1, at.valueColumn, points, at.valueColumn);
    chart_series_set_name_range(values, kSheet, 0, at.valueColumn);
    lxw_chart_line valueLine{};
    valueLine.color = kValueColour;
    valueLine.width = 1;
    chart_series_set_line(values, &valueLine);
    chart_series_set_marker_type(values, LXW_CHART_MARKER_CIRCLE);
    chart_series_set_marker_size(values, 3);
    chart_series_set_marker_line(values, &valueLine);
    lxw_chart_fill markerFill{};
    markerFill.color = kValueColour;
    chart_series_set_marker_fill(values, &markerFill);

    // LSL, USL, mean, LCL, UCL: a helper row each.
    const lxw_color_t colours[] = {kLimitColour, kLimitColour, kMeanColour, kControlColour,
                                   kControlColour};
    for (lxw_row_t row = 1; row <= at.levels; ++row) {
        lxw_chart_series* level = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(level, kSheet, row, at.levelFromColumn, row,
                                    at.levelFromColumn + 1);
        chart_series_set_values(level, kSheet, row, at.levelStartColumn, row,
                                at.levelStartColumn + 1);
        chart_series_set_name_range(level, kSheet, row, at.levelNameColumn);
        chart_series_set_marker_type(level, LXW_CHART_MARKER_NONE);
        lxw_chart_line line{};
        line.color = colours[std::min<std::size_t>(row - 1, std::size(colours) - 1)];
        line.width = 1.5;
        line.dash_type =
            line.color == kControlColour ? LXW_CHART_LINE_DASH_DASH : LXW_CHART_LINE_DASH_SOLID;
        chart_series_set_line(level, &line);
    }
    chart_axis_set_name(chart->x_axis, "Point");
    chart_axis_set_min(chart->x_axis, 1);
    chart_axis_set_max(chart->x_axis, std::max<lxw_row_t>(points, 2));
    chart_axis_set_name(chart->y_axis, valueTitle.c_str());
    chart_axis_set_num_format(chart->y_axis, Workbook::decimalsPattern(decimals).c_str());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    place(book, at.sheet, kRunChartRow, chart);
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
    place(book, at.sheet, kHistogramRow, chart);
}

}  // namespace

void insertCharts(Workbook& book, const ChartPlaces& places, lxw_row_t points,
                  const std::string& valueTitle, int decimals) {
    runChart(book, places, points, valueTitle, decimals);
    histogram(book, places, valueTitle, decimals);
}

}  // namespace workbook
