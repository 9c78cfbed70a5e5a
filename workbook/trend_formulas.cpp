#include "workbook/trend_formulas.h"

#include "history/trend_figures.h"
#include "pointsfile/summary_figures.h"
#include "workbook/formula_text.h"
#include "workbook/summary_formulas.h"
#include "workbook/trend_layout.h"
#include "workbook/workbook_summary_cells.h"

namespace workbook {

using history::kNeedsADownloadOfTwo;
using history::kNeedsDownloadLimits;
using history::kNeedsTwoDownloads;
using pointsfile::kControlLimitFactor;
using pointsfile::kMovingRangeD2;
using pointsfile::kNeedsTwoValues;
using pointsfile::kZeroSpread;
using summary_layout::cell;
using summary_layout::range;
using summary_layout::relativeCell;

using namespace trend_layout;

namespace {

const std::string kPoints(kPointCountName);
const std::string kDownloads(kDownloadCountName);
const std::string kGrand(kGrandMeanName);
const std::string kPooled(kPooledName);
const std::string kWithin(kWithinName);
const std::string kOverall(kOverallName);
const std::string kMeansRange(kMeansMovingRangeName);

// c4 of a count of values, by GAMMALN as history::c4 computes it by lgamma.
std::string c4Of(const std::string& n) {
    return join("SQRT(2/(", n, "-1))*EXP(GAMMALN(", n, "/2)-GAMMALN((", n, "-1)/2))");
}

// A sigma of the trend, which says itself why it cannot be computed.
SpreadCheck sigmaSpread(const std::string& sigma) {
    return [sigma](const std::string& division) {
        return join("IF(ISNUMBER(", sigma, "),IF(", sigma, "=0,", quoted(kZeroSpread), ",",
                    division, "),", sigma, ")");
    };
}

// The control limit, or why the moving range cannot give one.
std::string meansLimit(std::string_view sign) {
    return join("IF(ISNUMBER(", kMeansRange, "),", kGrand, sign, numberText(kControlLimitFactor),
                "*", kMeansRange, ",", kMeansRange, ")");
}

std::string downloadsCell(lxw_row_t source, lxw_col_t column) {
    return std::string(kDownloadsSheet) + "!" + relativeCell(source, column);
}

}  // namespace

TrendFormulas trendFormulas(lxw_row_t downloads) {
    const auto sumOf = [downloads](lxw_col_t column) {
        return "SUM(" + range(1, column, downloads) + ")";
    };
    const std::string freedom = sumOf(kFreedomColumn);
    const std::string out = cell(kOutRow, 1);
    TrendFormulas f;
    f.downloads = "COUNT(" + range(1, kPointsColumn, downloads) + ")";
    f.points = sumOf(kPointsColumn);
    f.grandMean = join(sumOf(kWeightedColumn), "/", kPoints);
    f.pooled = join("IF(", freedom, "<1,", quoted(kNeedsADownloadOfTwo), ",SQRT(",
                    sumOf(kSquaresColumn), "/", freedom, "))");
    f.within = join("IF(ISNUMBER(", kPooled, "),", kPooled, "/(", c4Of("(" + freedom + "+1)"), "),",
                    kPooled, ")");
    f.overall = join("IF(", kPoints, "<2,", quoted(kNeedsTwoValues), ",SQRT((",
                     sumOf(kSquaresColumn), "+", sumOf(kBetweenColumn), ")/(", kPoints, "-1)))");
    // With a single download the figure can never be more than its reason.
    f.meansMovingRange =
        join("IF(", kDownloads, "<2,", quoted(kNeedsTwoDownloads), ",",
             downloads >= 2 ? "AVERAGE(" + range(2, kMeansRangeColumn, downloads) + ")" : "0", ")");
    f.meansLcl = meansLimit("-");
    f.meansUcl = meansLimit("+");
    f.cp = potentialFormula(kWithin, sigmaSpread(kWithin));
    f.cpk = actualFormula(kGrand, kWithin, sigmaSpread(kWithin));
    f.pp = potentialFormula(kOverall, sigmaSpread(kOverall));
    f.ppk = actualFormula(kGrand, kOverall, sigmaSpread(kOverall));
    const std::string outs = range(1, kOutHelperColumn, downloads);
    f.outOfTolerance =
        join("IF(COUNT(", outs, ")=0,", quoted(kNeedsDownloadLimits), ",SUM(", outs, "))");
    f.outOfToleranceShare =
        join("IF(ISNUMBER(", out, "),", out, "/", sumOf(kJudgedColumn), ",", out, ")");
    return f;
}

DownloadFormulas downloadFormulas(lxw_row_t row, lxw_row_t source) {
    const std::string n = relativeCell(row, kPointsColumn);
    const std::string mean = relativeCell(row, kMeanHelperColumn);
    const std::string deviation = downloadsCell(source, kDeviationColumn);
    const std::string twoValues = n + ">=2";
    const std::string counts =
        downloadsCell(source, kBelowColumn) + ":" + relativeCell(source, kAboveColumn);
    const std::string out = relativeCell(row, kOutHelperColumn);
    const std::string cpk = relativeCell(row, kCpkAtLimitsColumn);
    DownloadFormulas f;
    f.points = downloadsCell(source, kCountedColumn);
    f.mean = downloadsCell(source, kMeanColumn);
    f.weighted = join(n, "*", mean);
    f.squares = join("IF(", twoValues, ",(", n, "-1)*", deviation, "^2,0)");
    f.freedom = n + "-1";
    f.between = join(n, "*(", mean, "-", kGrand, ")^2");
    if (row > 1) {
        f.movingRange = movingRangeFormula(mean, relativeCell(row - 1, kMeanHelperColumn));
    }
    f.deviation = join("IF(", twoValues, ",", deviation, ",NA())");
    f.c4 = join("IF(", twoValues, ",", c4Of(n), ",NA())");
    // As the download's own Summary computes its Cpk, at the Trend's limits.
    f.cpkAtLimits = actualFormula(
        mean,
        join("(", downloadsCell(source, kMovingRangeColumn), "/", numberText(kMovingRangeD2), ")"),
        valuesSpread(n, downloadsCell(source, kMinimumColumn),
                     downloadsCell(source, kMaximumColumn)));
    f.cpkChart = levelFormula(cpk);
    f.outOfTolerance = join("IF(COUNT(", counts, ")=0,\"\",SUM(", counts, "))");
    f.judged = join("IF(ISNUMBER(", out, "),", n, ",0)");
    return f;
}

StepFormulas stepFormulas(lxw_row_t row, lxw_row_t download) {
    const std::string c4 = relativeCell(download, kC4Column);
    const std::string centre = relativeCell(row, kStepCentreColumn);
    const std::string reach = join("3*SQRT(1-", c4, "^2)");
    StepFormulas f;
    f.centre =
        join("IF(AND(ISNUMBER(", c4, "),ISNUMBER(", kWithin, ")),", c4, "*", kWithin, ",NA())");
    f.lower = join("IF(ISNUMBER(", centre, "),MAX(0,", kWithin, "*(", c4, "-", reach, ")),NA())");
    f.upper = join("IF(ISNUMBER(", centre, "),", kWithin, "*(", c4, "+", reach, "),NA())");
    return f;
}

}  // namespace workbook
