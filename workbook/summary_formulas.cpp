#include "workbook/summary_formulas.h"

#include <utility>

#include "pointsfile/summary_figures.h"
#include "workbook/formula_text.h"

namespace workbook {

using pointsfile::kControlLimitFactor;
using pointsfile::kMovingRangeD2;
using pointsfile::kNeedsALimit;
using pointsfile::kNeedsAValue;
using pointsfile::kNeedsBothLimits;
using pointsfile::kNeedsLimitsInOrder;
using pointsfile::kNeedsLowerLimit;
using pointsfile::kNeedsTwoValues;
using pointsfile::kNeedsUpperLimit;
using pointsfile::kZeroSpread;

namespace {

const std::string kLower(kLowerLimitName);
const std::string kUpper(kUpperLimitName);
const std::string kCounted(kCountedValuesName);
const std::string kCount(kCountName);
const std::string kMean(kMeanName);
const std::string kMinimum(kMinimumName);
const std::string kMaximum(kMaximumName);
const std::string kMovingRange(kMovingRangeName);

const std::string kNoLower = "NOT(ISNUMBER(" + kLower + "))";
const std::string kNoUpper = "NOT(ISNUMBER(" + kUpper + "))";
const std::string kNoLimit = "AND(" + kNoLower + "," + kNoUpper + ")";
const std::string kOutOfOrder =
    "AND(ISNUMBER(" + kLower + "),ISNUMBER(" + kUpper + ")," + kLower + ">=" + kUpper + ")";

// The figure, unless there are fewer values than it needs.
std::string unless(std::string_view count, int fewest, const std::string& then) {
    return join("IF(", count, "<", std::to_string(fewest), ",",
                quoted(fewest == 1 ? kNeedsAValue : kNeedsTwoValues), ",", then, ")");
}

std::string unless(int fewest, const std::string& then) {
    return unless(kCount, fewest, then);
}

std::string beyond(const std::string& limit, const std::string& noLimit, std::string_view needs,
                   std::string_view comparison) {
    return join("IF(", noLimit, ",", quoted(needs), ",IF(", kOutOfOrder, ",",
                quoted(kNeedsLimitsInOrder), ",SUMPRODUCT(--(", kCounted, comparison, limit,
                "))))");
}

}  // namespace

std::string potentialFormula(std::string_view sigma, const SpreadCheck& spread) {
    return join("IF(OR(", kNoLower, ",", kNoUpper, "),", quoted(kNeedsBothLimits), ",IF(", kLower,
                ">=", kUpper, ",", quoted(kNeedsLimitsInOrder), ",",
                spread(join("(", kUpper, "-", kLower, ")/(6*", sigma, ")")), "))");
}

std::string actualFormula(std::string_view mean, std::string_view sigma,
                          const SpreadCheck& spread) {
    const std::string threeSigma = join("/(3*", sigma, ")");
    const std::string toUpper = join(kUpper, "-", mean);
    const std::string fromLower = join(mean, "-", kLower);
    return join("IF(", kNoLimit, ",", quoted(kNeedsALimit), ",IF(", kOutOfOrder, ",",
                quoted(kNeedsLimitsInOrder), ",",
                spread(join("IF(", kNoLower, ",(", toUpper, ")", threeSigma, ",IF(", kNoUpper, ",(",
                            fromLower, ")", threeSigma, ",MIN(", toUpper, ",", fromLower, ")",
                            threeSigma, "))")),
                "))");
}

SpreadCheck valuesSpread(std::string count, std::string minimum, std::string maximum) {
    return [count = std::move(count), minimum = std::move(minimum),
            maximum = std::move(maximum)](const std::string& division) {
        return unless(
            count, 2,
            join("IF(", maximum, "=", minimum, ",", quoted(kZeroSpread), ",", division, ")"));
    };
}

FigureFormulas figureFormulas(const FormulaCells& cells) {
    FigureFormulas f;
    const std::string reach = numberText(kControlLimitFactor) + "*" + kMovingRange;
    f.points = "COUNT(" + kCounted + ")";
    f.mean = unless(1, "AVERAGE(" + kCounted + ")");
    f.standardDeviation = unless(2, "STDEV(" + kCounted + ")");
    f.minimum = unless(1, "MIN(" + kCounted + ")");
    f.maximum = unless(1, "MAX(" + kCounted + ")");
    f.range = unless(1, kMaximum + "-" + kMinimum);
    // With a single value the figure can never be more than its reason.
    f.averageMovingRange =
        unless(2, cells.movingRanges.empty() ? "0" : "AVERAGE(" + cells.movingRanges + ")");
    f.shortTermSigma = unless(2, kMovingRange + "/" + numberText(kMovingRangeD2));
    const SpreadCheck spread = valuesSpread(kCount, kMinimum, kMaximum);
    f.cp = potentialFormula(kSigmaName, spread);
    f.cpk = actualFormula(kMean, kSigmaName, spread);
    f.pp = potentialFormula(kDeviationName, spread);
    f.ppk = actualFormula(kMean, kDeviationName, spread);
    f.belowLower = beyond(kLower, kNoLower, kNeedsLowerLimit, "<");
    f.aboveUpper = beyond(kUpper, kNoUpper, kNeedsUpperLimit, ">");
    f.outOfTolerance =
        join("IF(", kNoLimit, ",", quoted(kNeedsALimit), ",IF(", kOutOfOrder, ",",
             quoted(kNeedsLimitsInOrder), ",IF(ISNUMBER(", kLower, "),", cells.belowLower,
             ",0)+IF(ISNUMBER(", kUpper, "),", cells.aboveUpper, ",0)))");
    const std::string& out = cells.outOfTolerance;
    f.outOfToleranceShare =
        unless(1, join("IF(ISNUMBER(", out, "),", out, "/", kCount, ",", out, ")"));
    f.lowerControlLimit = unless(2, kMean + "-" + reach);
    f.upperControlLimit = unless(2, kMean + "+" + reach);
    return f;
}

std::string movingRangeFormula(std::string_view value, std::string_view previous) {
    return join("ABS(", value, "-", previous, ")");
}

std::string levelFormula(std::string_view level) {
    return join("IF(ISNUMBER(", level, "),", level, ",NA())");
}

std::string binCountFormula(std::string_view from, std::string_view to, bool first, bool last) {
    if (first) {
        return join("SUMPRODUCT(--(", kCounted, "<", to, "))");
    }
    if (last) {
        return join("SUMPRODUCT(--(", kCounted, ">=", from, "))");
    }
    // Two counts rather than a product of comparisons: nothing inside SUMPRODUCT an engine
    // could read other than as one comparison over the values.
    return join("SUMPRODUCT(--(", kCounted, "<", to, "))-SUMPRODUCT(--(", kCounted, "<", from,
                "))");
}

std::string inToleranceFormula(std::string_view centre, std::string_view count) {
    return join("IF(OR(AND(ISNUMBER(", kLower, "),", centre, "<", kLower, "),AND(ISNUMBER(", kUpper,
                "),", centre, ">", kUpper, ")),0,", count, ")");
}

std::string beyondLimitsRule(std::string_view value, std::string_view deletedMark) {
    return join("AND(ISNUMBER(", value, "),NOT(EXACT(LEFT(", deletedMark, ",1),\"D\")),OR(AND(",
                "ISNUMBER(", kLower, "),", value, "<", kLower, "),AND(ISNUMBER(", kUpper, "),",
                value, ">", kUpper, ")))");
}

}  // namespace workbook
