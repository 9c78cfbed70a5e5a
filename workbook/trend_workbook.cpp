#include "workbook/trend_workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "history/trend_figures.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_removal.h"
#include "pointsfile/file_table.h"
#include "pointsfile/tolerance_limits.h"
#include "workbook/summary_formulas.h"
#include "workbook/trend_charts.h"
#include "workbook/trend_downloads_sheet.h"
#include "workbook/trend_formulas.h"
#include "workbook/trend_layout.h"
#include "workbook/workbook.h"
#include "workbook/workbook_summary_cells.h"

namespace workbook {

using history::KeptDownload;
using history::TrendFigures;
using history::TrendRow;
using pointsfile::Figure;
using pointsfile::SummaryChoices;
using summary_layout::cell;
using summary_layout::SummaryCells;

using namespace trend_layout;

namespace {

constexpr double kLabelColumnWidth = 28;
constexpr double kFigureColumnWidth = 24;
constexpr double kNoteColumnWidth = 52;
constexpr int kMostDecimals = 15;

// What a spreadsheet shows in a helper cell that hides a chart's point or line.
constexpr std::string_view kNotAvailable = "#N/A";

constexpr std::string_view kToleranceNote =
    "At each download's own limits: does not follow an edited limit.";
constexpr std::string_view kInputFollows =
    "Cp, Cpk, Pp, Ppk and the charts' limit lines follow it.";

Figure valueOf(double value) {
    return {value, {}};
}

// A figure for a chart's helper cell: the value, else #N/A.
Figure orHidden(const Figure& figure) {
    return figure.value ? figure : Figure{std::nullopt, kNotAvailable};
}

// The decimals of a value as the gauge sent it: those of its shortest text.
int decimalsOf(double value) {
    char text[32];
    const std::string_view written(text, std::to_chars(text, text + sizeof text, value).ptr - text);
    const std::size_t exponent = written.find('e');
    const std::string_view mantissa = written.substr(0, exponent);
    const std::size_t point = mantissa.find('.');
    int decimals = point == std::string_view::npos ? 0 : int(mantissa.size() - point - 1);
    if (exponent != std::string_view::npos) {
        int power = 0;
        std::from_chars(written.data() + exponent + 1, written.data() + written.size(), power);
        decimals -= power;
    }
    return std::clamp(decimals, 0, kMostDecimals);
}

// The most decimals of the downloads' smallest and largest values.
int decimalsOf(const std::vector<TrendRow>& rows) {
    int decimals = 0;
    for (const TrendRow& row : rows) {
        for (const std::optional<double>& value : {row.download.minimum, row.download.maximum}) {
            decimals = std::max(decimals, value ? decimalsOf(*value) : 0);
        }
    }
    return decimals;
}

// One row of the figures' table.
struct FigureRow {
    lxw_row_t row;
    std::string_view label;
    std::string formula;
    Figure result;
    lxw_format* format;
};

// A download in the trend and its row on the Downloads sheet.
struct InTrend {
    const KeptDownload* download;
    lxw_row_t source;
};

class TrendSheet {
public:
    TrendSheet(Workbook& book, lxw_worksheet* sheet, const std::vector<TrendRow>& rows,
               const SummaryChoices& limits, int decimals)
        : m_book(book),
          m_sheet(sheet),
          m_cells(book, sheet, decimals),
          m_limits(limits),
          m_figures(history::trendFigures(rows, limits)),
          m_decimals(decimals) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (history::inTrend(rows[i])) {
                m_in.push_back({&rows[i].download, lxw_row_t(i + 1)});
            }
        }
    }

    void write(const std::string& characteristic) {
        worksheet_activate(m_sheet);
        worksheet_set_column(m_sheet, 0, 0, kLabelColumnWidth, nullptr);
        worksheet_set_column(m_sheet, 1, 1, kFigureColumnWidth, nullptr);
        worksheet_set_column(m_sheet, kNoteColumn, kNoteColumn, kNoteColumnWidth, nullptr);
        const std::string title =
            characteristic.empty() ? std::string("Trend") : "Trend: " + characteristic;
        m_cells.utf8Text(kTitleRow, 0, title, m_cells.title);
        if (m_in.empty()) {
            m_cells.text(kHintRow, 0,
                         "No figures: no download of the selection holds a counted value "
                         "(repeats left out).");
            return;
        }
        defineNames();
        const auto k = lxw_row_t(m_in.size());
        const std::vector<FigureRow> table = figureRows(k);
        auto next = table.cbegin();
        for (lxw_row_t row = 0; row <= std::max({lxw_row_t{kShareRow}, 2 * k, kCapableLevelRow});
             ++row) {
            writeLabelledRow(row, next, table.cend());
            if (row == kTitleRow) {
                writeHeadings();
                continue;
            }
            if (row <= k) {
                writeDownloadRow(row);
            }
            if (row <= 2 * k) {
                writeStepRow(row);
            }
            if (row <= kCapableLevelRow) {
                writeLevelRow(row, k);
            }
        }
        insertTrendCharts(m_book, m_sheet, k, m_decimals);
    }

private:
    void defineNames() {
        for (const auto& [name, row] : {std::pair{kLowerLimitName, kLowerRow},
                                        {kUpperLimitName, kUpperRow},
                                        {kNominalName, kNominalRow},
                                        {kDownloadCountName, kDownloadsRow},
                                        {kPointCountName, kPointsRow},
                                        {kGrandMeanName, kGrandMeanRow},
                                        {kPooledName, kPooledRow},
                                        {kWithinName, kWithinRow},
                                        {kOverallName, kOverallRow},
                                        {kMeansMovingRangeName, kMeansMovingRangeRow}}) {
            m_book.defineName(std::string(name), "=Trend!" + cell(row, 1));
        }
    }

    // The figures' table, in the order of its rows.
    std::vector<FigureRow> figureRows(lxw_row_t downloads) const {
        TrendFormulas f = trendFormulas(downloads);
        const TrendFigures& v = m_figures;
        const SummaryCells& look = m_cells;
        return {
            {kDownloadsRow, "Downloads", std::move(f.downloads), valueOf(v.downloads), look.count},
            {kPointsRow, "Points", std::move(f.points), valueOf(v.points), look.count},
            {kGrandMeanRow, "Grand mean", std::move(f.grandMean), v.grandMean, look.fine},
            {kPooledRow, "Pooled standard deviation", std::move(f.pooled),
             v.pooledStandardDeviation, look.fine},
            {kWithinRow, "Within sigma", std::move(f.within), v.withinSigma, look.fine},
            {kOverallRow, "Overall standard deviation", std::move(f.overall),
             v.overallStandardDeviation, look.fine},
            {kMeansMovingRangeRow, "Average moving range of means", std::move(f.meansMovingRange),
             v.averageMovingRangeOfMeans, look.fine},
            {kMeansLclRow, "LCL of means", std::move(f.meansLcl), v.lowerControlLimit, look.fine},
            {kMeansUclRow, "UCL of means", std::move(f.meansUcl), v.upperControlLimit, look.fine},
            {kCpRow, "Cp", std::move(f.cp), v.cp, look.ratio},
            {kCpkRow, "Cpk", std::move(f.cpk), v.cpk, look.ratio},
            {kPpRow, "Pp", std::move(f.pp), v.pp, look.ratio},
            {kPpkRow, "Ppk", std::move(f.ppk), v.ppk, look.ratio},
            {kOutRow, "Out of tolerance", std::move(f.outOfTolerance), v.outOfTolerance,
             look.count},
            {kShareRow, "Out of tolerance share", std::move(f.outOfToleranceShare),
             v.outOfToleranceShare, look.share},
        };
    }

    void writeLabelledRow(lxw_row_t row, std::vector<FigureRow>::const_iterator& next,
                          const std::vector<FigureRow>::const_iterator end) {
        if (row == kHintRow) {
            m_cells.text(row, 0,
                         "Edit the shaded limits: Cp, Cpk, Pp, Ppk and the charts' limit lines "
                         "follow.",
                         m_cells.hint);
        } else if (row == kLowerRow) {
            m_cells.input(row, pointsfile::kLowerLimitLabel, m_limits.lowerLimit, kInputFollows);
        } else if (row == kUpperRow) {
            m_cells.input(row, pointsfile::kUpperLimitLabel, m_limits.upperLimit, kInputFollows);
        } else if (row == kNominalRow) {
            m_cells.input(row, pointsfile::kNominalLabel, m_limits.nominal, kInputFollows);
        } else if (next != end && next->row == row) {
            m_cells.text(row, 0, next->label);
            m_cells.formula(row, 1, next->formula, next->result, next->format);
            if (row == kOutRow || row == kShareRow) {
                m_cells.text(row, kNoteColumn, kToleranceNote, m_cells.hint);
            }
            ++next;
        }
    }

    void writeHeadings() {
        for (const auto& [column, heading] :
             {std::pair<lxw_col_t, const char*>{kNumberColumn, "Download"},
              {kPointsColumn, "Points"},
              {kMeanHelperColumn, "Mean"},
              {kWeightedColumn, "Points × mean"},
              {kSquaresColumn, "Squares within"},
              {kFreedomColumn, "Degrees of freedom"},
              {kBetweenColumn, "Squares between"},
              {kMeansRangeColumn, "Moving range of means"},
              {kDeviationHelperColumn, "Standard deviation"},
              {kC4Column, "c4"},
              {kCpkAtLimitsColumn, "Cpk at these limits"},
              {kCpkChartColumn, "Cpk"},
              {kOutHelperColumn, "Out of tolerance"},
              {kJudgedColumn, "Points judged"},
              {kStepXColumn, "Download"},
              {kStepCentreColumn, "Centre"},
              {kStepLowerColumn, "LCL"},
              {kStepUpperColumn, "UCL"},
              {kLevelNameColumn, "Line"},
              {kLevelFromColumn, "From"},
              {kLevelFromColumn + 1, "To"},
              {kLevelStartColumn, "Level"},
              {kLevelStartColumn + 1, "Level"}}) {
            m_cells.utf8Text(kTitleRow, column, heading, m_book.boldFormat());
        }
    }

    void writeDownloadRow(lxw_row_t row) {
        const InTrend& at = m_in[row - 1];
        const KeptDownload& d = *at.download;
        const DownloadFormulas f = downloadFormulas(row, at.source);
        const int n = d.counted;
        const double mean = *d.mean;
        const double s = d.standardDeviation.value_or(0);
        const bool two = n >= 2;
        const Figure cpk = history::cpkAtLimits(d, m_limits);
        const bool judged = d.belowLsl || d.aboveUsl;
        const double offset = mean - *m_figures.grandMean.value;
        m_cells.number(row, kNumberColumn, row);
        m_cells.formula(row, kPointsColumn, f.points, valueOf(n));
        m_cells.formula(row, kMeanHelperColumn, f.mean, valueOf(mean));
        m_cells.formula(row, kWeightedColumn, f.weighted, valueOf(n * mean));
        m_cells.formula(row, kSquaresColumn, f.squares, valueOf(two ? (n - 1) * (s * s) : 0));
        m_cells.formula(row, kFreedomColumn, f.freedom, valueOf(n - 1));
        m_cells.formula(row, kBetweenColumn, f.between, valueOf(n * (offset * offset)));
        if (row > 1) {
            m_cells.formula(row, kMeansRangeColumn, f.movingRange,
                            valueOf(std::abs(mean - *m_in[row - 2].download->mean)));
        }
        m_cells.formula(row, kDeviationHelperColumn, f.deviation,
                        orHidden(two ? valueOf(s) : Figure{}));
        m_cells.formula(row, kC4Column, f.c4, orHidden(two ? valueOf(history::c4(n)) : Figure{}));
        m_cells.formula(row, kCpkAtLimitsColumn, f.cpkAtLimits, cpk);
        m_cells.formula(row, kCpkChartColumn, f.cpkChart, orHidden(cpk));
        m_cells.formula(row, kOutHelperColumn, f.outOfTolerance,
                        judged ? valueOf(d.belowLsl.value_or(0) + d.aboveUsl.value_or(0))
                               : Figure{std::nullopt, ""});
        m_cells.formula(row, kJudgedColumn, f.judged, valueOf(judged ? n : 0));
    }

    // Two rows a download, from half a download before its number to half after.
    void writeStepRow(lxw_row_t row) {
        const lxw_row_t download = (row + 1) / 2;
        const history::SChartLevels levels =
            history::sChartLevels(m_in[download - 1].download->counted, m_figures.withinSigma);
        const StepFormulas f = stepFormulas(row, download);
        m_cells.number(row, kStepXColumn, download + (row % 2 == 1 ? -0.5 : 0.5));
        m_cells.formula(row, kStepCentreColumn, f.centre, orHidden(levels.centre));
        m_cells.formula(row, kStepLowerColumn, f.lower, orHidden(levels.lower));
        m_cells.formula(row, kStepUpperColumn, f.upper, orHidden(levels.upper));
    }

    void writeLevelRow(lxw_row_t row, lxw_row_t k) {
        const struct {
            std::string_view name;
            std::string level;
            std::optional<double> value;
        } levels[] = {
            {"LSL", std::string(kLowerLimitName), m_limits.lowerLimit},
            {"USL", std::string(kUpperLimitName), m_limits.upperLimit},
            {"Grand mean", std::string(kGrandMeanName), m_figures.grandMean.value},
            {"LCL", cell(kMeansLclRow, 1), m_figures.lowerControlLimit.value},
            {"UCL", cell(kMeansUclRow, 1), m_figures.upperControlLimit.value},
        };
        m_cells.number(row, kLevelFromColumn, 0.5);
        m_cells.number(row, kLevelFromColumn + 1, k + 0.5);
        if (row == kCapableLevelRow) {
            m_cells.text(row, kLevelNameColumn, "Cpk 1.33");
            m_cells.number(row, kLevelStartColumn, history::kCapableCpk);
            m_cells.number(row, kLevelStartColumn + 1, history::kCapableCpk);
            return;
        }
        const auto& level = levels[row - 1];
        m_cells.text(row, kLevelNameColumn, level.name);
        for (const lxw_col_t column :
             {lxw_col_t{kLevelStartColumn}, lxw_col_t(kLevelStartColumn + 1)}) {
            m_cells.formula(row, column, levelFormula(level.level), {level.value, kNotAvailable});
        }
    }

    Workbook& m_book;
    lxw_worksheet* m_sheet;
    SummaryCells m_cells;
    SummaryChoices m_limits;
    TrendFigures m_figures;
    std::vector<InTrend> m_in;
    int m_decimals;
};

}  // namespace

void writeTrendWorkbook(const std::string& path, const std::vector<TrendRow>& rows,
                        const SummaryChoices& startingLimits, const std::string& characteristic) {
    pointsfile::FileTable files;
    createEmptyFile(files, path);
    try {
        Workbook book(path);
        const int decimals = decimalsOf(rows);
        // The sheets in the order of their tabs, each written in one go.
        lxw_worksheet* const trend = book.addSheet(kTrendSheet);
        lxw_worksheet* const downloads = book.addSheet(kDownloadsSheet);
        TrendSheet(book, trend, rows, startingLimits, decimals).write(characteristic);
        writeDownloadsSheet(book, downloads, rows, decimals);
        book.close();
    } catch (const pointsfile::FileError&) {
        // The file was made above, so it is a file: no spreadsheet shall open half a workbook.
        pointsfile::removeIfRegularFile(path);
        throw;
    }
}

}  // namespace workbook
