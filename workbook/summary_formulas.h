#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace workbook {

// The names the Summary's formulas read by; none is also a cell's reference (as "LSL" would be).
inline constexpr std::string_view kLowerLimitName = "LowerLimit";
inline constexpr std::string_view kUpperLimitName = "UpperLimit";
inline constexpr std::string_view kNominalName = "NominalValue";
inline constexpr std::string_view kCountedValuesName = "CountedValues";
inline constexpr std::string_view kCountName = "ValueCount";
inline constexpr std::string_view kMeanName = "ValueMean";
inline constexpr std::string_view kDeviationName = "SampleSD";
inline constexpr std::string_view kMinimumName = "MinValue";
inline constexpr std::string_view kMaximumName = "MaxValue";
inline constexpr std::string_view kMovingRangeName = "MovingRange";
inline constexpr std::string_view kSigmaName = "ShortTermSigma";

// What the formulas reach by reference rather than by name.
struct FormulaCells {
    // The helper column's moving ranges, one per counted value but the first. Empty when there
    // are fewer than two values.
    std::string movingRanges;
    std::string belowLower;
    std::string aboveUpper;
    std::string outOfTolerance;
};

// Each figure's formula, without its "=": the spreadsheet's own form of the rules
// ValueStatistics::figures follows, which gives the results written with them.
struct FigureFormulas {
    std::string points, mean, standardDeviation, minimum, maximum, range;
    std::string averageMovingRange, shortTermSigma;
    std::string cp, cpk, pp, ppk;
    std::string belowLower, aboveUpper, outOfTolerance, outOfToleranceShare;
    std::string lowerControlLimit, upperControlLimit;
};

FigureFormulas figureFormulas(const FormulaCells& cells);

// What a capability index needs of its sigma before it divides by it: the division wrapped in the
// tests that say why it cannot be computed.
using SpreadCheck = std::function<std::string(const std::string& division)>;

// Cp or Pp, and Cpk or Ppk, at the limits named LowerLimit and UpperLimit: the spreadsheet's form
// of pointsfile::potentialCapability and actualCapability.
std::string potentialFormula(std::string_view sigma, const SpreadCheck& spread);
std::string actualFormula(std::string_view mean, std::string_view sigma, const SpreadCheck& spread);

// The Summary's check: two values at least, not all equal.
SpreadCheck valuesSpread(std::string count, std::string minimum, std::string maximum);

// The moving range between two consecutive counted values, a plain formula in a helper row of
// its own rather than range arithmetic inside SUMPRODUCT: Excel and LibreOffice take that as
// arrays, but Gnumeric intersects each range with the formula's row and gives 0 or #VALUE!.
std::string movingRangeFormula(std::string_view value, std::string_view previous);

// A run chart's level line: the level while it is a number, else #N/A, which hides the line.
std::string levelFormula(std::string_view level);

// The counted values in a histogram's bin, from `from` up to, not including, `to`; the first bin
// takes every value below `to`, the last every value from `from` up.
std::string binCountFormula(std::string_view from, std::string_view to, bool first, bool last);

// A bin's count while its centre lies within the limits that are set, else 0.
std::string inToleranceFormula(std::string_view centre, std::string_view count);

// True for a counted value beyond a limit that is set: a number, not in a row marked deleted.
std::string beyondLimitsRule(std::string_view value, std::string_view deletedMark);

}  // namespace workbook
