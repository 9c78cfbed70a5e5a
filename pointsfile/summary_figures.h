#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "pointsfile/summary_choices.h"

namespace pointsfile {

// Why a figure cannot be computed, as the Summary says it in the figure's place.
inline constexpr std::string_view kNeedsAValue = "needs a value";
inline constexpr std::string_view kNeedsTwoValues = "needs 2 values";
inline constexpr std::string_view kNeedsBothLimits = "needs LSL and USL";
inline constexpr std::string_view kNeedsALimit = "needs LSL or USL";
inline constexpr std::string_view kNeedsLowerLimit = "needs LSL";
inline constexpr std::string_view kNeedsUpperLimit = "needs USL";
inline constexpr std::string_view kNeedsLimitsInOrder = "needs LSL below USL";
inline constexpr std::string_view kZeroSpread = "zero spread";

// d2 of moving ranges of two points: the average moving range over it estimates the short-term
// sigma; 3 / d2 (2.66) of it puts the individuals chart's control limits.
inline constexpr double kMovingRangeD2 = 1.128;
inline constexpr double kControlLimitFactor = 2.66;

// A figure of the Summary, or the short text that says why it cannot be computed.
struct Figure {
    std::optional<double> value;
    std::string_view whyNot;
};

// Cp or Pp, and Cpk or Ppk, at the limits: the Summary's rules. `sigma` is the spread to divide by,
// or why it cannot serve (fewer values than it needs, zero spread), said after the limits' own
// reasons.
Figure potentialCapability(const SummaryChoices& limits, const Figure& sigma);
Figure actualCapability(const SummaryChoices& limits, double mean, const Figure& sigma);

// The Summary's figures, in the order it shows them.
struct SummaryFigures {
    int points = 0;
    Figure mean, standardDeviation, minimum, maximum, range;
    Figure averageMovingRange, shortTermSigma;
    Figure cp, cpk, pp, ppk;
    Figure belowLower, aboveUpper, outOfTolerance, outOfToleranceShare;
    Figure lowerControlLimit, upperControlLimit;
};

// The counted values, taken one at a time in the order the gauge sent them, so that memory stays
// flat however many points there are. Each figure is what the workbook's formula for it gives.
class ValueStatistics {
public:
    explicit ValueStatistics(const SummaryChoices& limits);

    void add(double value);
    SummaryFigures figures() const;

private:
    std::optional<double> m_lower;
    std::optional<double> m_upper;
    int m_count = 0;
    double m_mean = 0;
    // Sum of squared deviations from the running mean (Welford), as steady as two passes.
    double m_squares = 0;
    double m_minimum = 0;
    double m_maximum = 0;
    double m_previous = 0;
    double m_movingRanges = 0;
    int m_below = 0;
    int m_above = 0;
};

// The histogram's bins, fixed when the workbook is written: from the minimum to the maximum, with
// inner edges that no value of the given decimals can fall on, so that a spreadsheet and this
// program put every value in the same bin.
struct HistogramBins {
    double minimum = 0;
    double maximum = 0;
    // Bin i runs from edge i - 1 (the minimum for the first) up to, not including, edge i; the
    // last takes every value from its lower edge up.
    std::vector<double> innerEdges;

    std::size_t count() const { return innerEdges.size() + 1; }
    double lower(std::size_t bin) const { return bin == 0 ? minimum : innerEdges[bin - 1]; }
    double upper(std::size_t bin) const { return bin + 1 == count() ? maximum : innerEdges[bin]; }
    // Midway, as the workbook holds it: the bin is beyond a limit when its centre is.
    double centre(std::size_t bin) const;
    std::size_t binOf(double value) const;
};

// √n bins, held between 8 and 30.
HistogramBins histogramBins(int values, double minimum, double maximum, int decimals);

}  // namespace pointsfile
