#include "workbook/summary_formulas.h"

#include <charconv>

#include "pointsfile/summary_figures.h"

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

// Appended piece by piece: GCC 12 at -O3 takes "\"" + std::string for an overlapping copy.
std::string quoted(std::string_view text) {
    std::string inQuotes(1, '"');
    inQuotes.append(text);
    inQuotes += '"';
    return inQuotes;
}

std::string numberText(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// Reads as text: joins its pieces.
template <typename... Pieces>
std::string join(const Pieces&... pieces) {
    std::string text;
    (text.append(pieces), ...);
    return text;
}

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
std::string unless(int fewest, const std::string& then) {
    return join("IF(", kCount, "<", std::to_string(fewest), ",",
                quoted(fewest == 1 ? kNeedsAValue : kNeedsTwoValues), ",", then, ")");
}

// Needs two values with some spread.
std::string spread(const std::string& then) {
    return unless(2,
                  join("IF(", kMaximum, "=", kMinimum, ",", quoted(kZeroSpread), ",", then, ")"));
}

// Cp and Pp.
std::string potential(std::string_view sigma) {
    return join("IF(OR(", kNoLower, ",", kNoUpper, "),", quoted(kNeedsBothLimits), ",IF(", kLower,
                ">=", kUpper, ",", quoted(kNeedsLimitsInOrder), ",",
                spread(join("(", kUpper, "-", kLower, ")/(6*", sigma, ")")), "))");
}

// Cpk and Ppk: one-sided with one limit.
std::string actual(std::string_view sigma) {
    const std::string threeSigma = join("/(3*", sigma, ")");
    const std::string toUpper = kUpper + "-" + kMean;
    const std::string fromLower = kMean + "-" + kLower;
    return join("IF(", kNoLimit, ",", quoted(kNeedsALimit), ",IF(", kOutOfOrder, ",",
                quoted(kNeedsLimitsInOrder), ",",
                spread(join("IF(", kNoLower, ",(", toUpper, ")", threeSigma, ",IF(", kNoUpper, ",(",
                            fromLower, ")", threeSigma, ",MIN(", toUpper, ",", fromLower, ")",
                            threeSigma, "))")),
                "))");
}

std::string beyond(const std::string& limit, const std::string& noLimit, std::string_view needs,
                   std::string_view comparison) {
    return join("IF(", noLimit, ",", quoted(needs), ",IF(", kOutOfOrder, ",",
                quoted(kNeedsLimitsInOrder), ",SUMPRODUCT(--(", kCounted, comparison, limit,
                "))))");
}

}  // namespace

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
    f.cp = potential(kSigmaName);
    f.cpk = actual(kSigmaName);
    f.pp = potential(kDeviationName);
    f.ppk = actual(kDeviationName);
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
