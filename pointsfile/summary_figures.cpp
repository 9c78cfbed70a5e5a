#include "pointsfile/summary_figures.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pointsfile {

namespace {

constexpr int kFewestBins = 8;
constexpr int kMostBins = 30;
// Beyond this many quanta a double no longer tells half a quantum apart.
constexpr double kMostQuanta = 1e15;
// What a division leaves of a whole number of quanta.
constexpr double kQuantumNoise = 1e-6;

Figure valueOf(double value) {
    return {value, {}};
}

Figure because(std::string_view whyNot) {
    return {std::nullopt, whyNot};
}

// The value a spreadsheet reads back from the 15 significant digits the workbook holds.
double asWritten(double value) {
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double read = value;
    std::from_chars(text, written.ptr, read);
    return read;
}

}  // namespace

Figure potentialCapability(const SummaryChoices& limits, const Figure& sigma) {
    const std::optional<double>& lower = limits.lowerLimit;
    const std::optional<double>& upper = limits.upperLimit;
    if (!lower || !upper) {
        return because(kNeedsBothLimits);
    }
    if (*lower >= *upper) {
        return because(kNeedsLimitsInOrder);
    }
    return sigma.value ? valueOf((*upper - *lower) / (6 * *sigma.value)) : sigma;
}

Figure actualCapability(const SummaryChoices& limits, double mean, const Figure& sigma) {
    const std::optional<double>& lower = limits.lowerLimit;
    const std::optional<double>& upper = limits.upperLimit;
    if (!lower && !upper) {
        return because(kNeedsALimit);
    }
    if (lower && upper && *lower >= *upper) {
        return because(kNeedsLimitsInOrder);
    }
    if (!sigma.value) {
        return sigma;
    }
    const double threeSigma = 3 * *sigma.value;
    if (!lower) {
        return valueOf((*upper - mean) / threeSigma);
    }
    if (!upper) {
        return valueOf((mean - *lower) / threeSigma);
    }
    return valueOf(std::min(*upper - mean, mean - *lower) / threeSigma);
}

ValueStatistics::ValueStatistics(const SummaryChoices& limits)
    : m_lower(limits.lowerLimit), m_upper(limits.upperLimit) {}

void ValueStatistics::add(double value) {
    if (m_count == 0) {
        m_minimum = m_maximum = value;
    } else {
        m_movingRanges += std::abs(value - m_previous);
        m_minimum = std::min(m_minimum, value);
        m_maximum = std::max(m_maximum, value);
    }
    ++m_count;
    const double fromOldMean = value - m_mean;
    m_mean += fromOldMean / m_count;
    m_squares += fromOldMean * (value - m_mean);
    m_previous = value;
    m_below += m_lower && value < *m_lower ? 1 : 0;
    m_above += m_upper && value > *m_upper ? 1 : 0;
}

SummaryFigures ValueStatistics::figures() const {
    SummaryFigures f;
    const int n = f.points = m_count;
    const bool one = n >= 1;
    const bool two = n >= 2;
    const bool lower = m_lower.has_value();
    const bool upper = m_upper.has_value();
    const bool outOfOrder = lower && upper && *m_lower >= *m_upper;
    const bool zeroSpread = m_maximum == m_minimum;

    f.mean = one ? valueOf(m_mean) : because(kNeedsAValue);
    f.standardDeviation = two ? valueOf(std::sqrt(m_squares / (n - 1))) : because(kNeedsTwoValues);
    f.minimum = one ? valueOf(m_minimum) : because(kNeedsAValue);
    f.maximum = one ? valueOf(m_maximum) : because(kNeedsAValue);
    f.range = one ? valueOf(m_maximum - m_minimum) : because(kNeedsAValue);
    f.averageMovingRange = two ? valueOf(m_movingRanges / (n - 1)) : because(kNeedsTwoValues);
    f.shortTermSigma =
        two ? valueOf(*f.averageMovingRange.value / kMovingRangeD2) : because(kNeedsTwoValues);

    // Cp and Pp, Cpk and Ppk: the same rules, with the short-term sigma or the sample's, each
    // only over two values with some spread.
    const auto spread = [&](const Figure& sigma) {
        if (!two) {
            return because(kNeedsTwoValues);
        }
        return zeroSpread ? because(kZeroSpread) : sigma;
    };
    const SummaryChoices limits{m_lower, m_upper, {}, {}, {}};
    f.cp = potentialCapability(limits, spread(f.shortTermSigma));
    f.cpk = actualCapability(limits, m_mean, spread(f.shortTermSigma));
    f.pp = potentialCapability(limits, spread(f.standardDeviation));
    f.ppk = actualCapability(limits, m_mean, spread(f.standardDeviation));

    const auto count = [&](bool set, std::string_view needs, int beyond) {
        if (!set) {
            return because(needs);
        }
        return outOfOrder ? because(kNeedsLimitsInOrder) : valueOf(beyond);
    };
    f.belowLower = count(lower, kNeedsLowerLimit, m_below);
    f.aboveUpper = count(upper, kNeedsUpperLimit, m_above);
    f.outOfTolerance = count(lower || upper, kNeedsALimit, m_below + m_above);
    if (!one) {
        f.outOfToleranceShare = because(kNeedsAValue);
    } else if (f.outOfTolerance.value) {
        f.outOfToleranceShare = valueOf(*f.outOfTolerance.value / n);
    } else {
        f.outOfToleranceShare = f.outOfTolerance;
    }

    if (two) {
        const double reach = kControlLimitFactor * *f.averageMovingRange.value;
        f.lowerControlLimit = valueOf(m_mean - reach);
        f.upperControlLimit = valueOf(m_mean + reach);
    } else {
        f.lowerControlLimit = f.upperControlLimit = because(kNeedsTwoValues);
    }
    return f;
}

double HistogramBins::centre(std::size_t bin) const {
    return asWritten((lower(bin) + upper(bin)) / 2);
}

std::size_t HistogramBins::binOf(double value) const {
    return static_cast<std::size_t>(std::upper_bound(innerEdges.begin(), innerEdges.end(), value) -
                                    innerEdges.begin());
}

HistogramBins histogramBins(int values, double minimum, double maximum, int decimals) {
    const int count = std::clamp(static_cast<int>(std::ceil(std::sqrt(std::max(values, 0)))),
                                 kFewestBins, kMostBins);
    const double quantum = std::pow(10.0, -decimals);
    HistogramBins bins{minimum, maximum, {}};
    for (int i = 1; i < count; ++i) {
        double edge = minimum + i * (maximum - minimum) / count;
        // Halfway between two values the gauge can send; a value on the edge itself goes up, as
        // a bin takes its lower edge.
        if (std::abs(edge) / quantum < kMostQuanta) {
            edge = (std::ceil(edge / quantum - kQuantumNoise) - 0.5) * quantum;
        }
        bins.innerEdges.push_back(asWritten(edge));
    }
    return bins;
}

}  // namespace pointsfile
