#include "history/trend_figures.h"

#include <algorithm>
#include <cmath>

namespace history {

using pointsfile::actualCapability;
using pointsfile::Figure;
using pointsfile::kControlLimitFactor;
using pointsfile::kMovingRangeD2;
using pointsfile::kNeedsAValue;
using pointsfile::kNeedsTwoValues;
using pointsfile::kZeroSpread;
using pointsfile::potentialCapability;
using pointsfile::SummaryChoices;

namespace {

Figure valueOf(double value) {
    return {value, {}};
}

Figure because(std::string_view whyNot) {
    return {std::nullopt, whyNot};
}

// A sigma a capability index can divide by, or why not.
Figure dividing(const Figure& sigma) {
    return sigma.value && *sigma.value == 0 ? because(kZeroSpread) : sigma;
}

}  // namespace

double c4(double n) {
    return std::sqrt(2 / (n - 1)) * std::exp(std::lgamma(n / 2) - std::lgamma((n - 1) / 2));
}

bool inTrend(const TrendRow& row) {
    return row.repeatOf.empty() && row.download.counted >= 1 && row.download.mean.has_value();
}

TrendFigures trendFigures(const std::vector<TrendRow>& rows, const SummaryChoices& limits) {
    std::vector<const KeptDownload*> in;
    for (const TrendRow& row : rows) {
        if (inTrend(row)) {
            in.push_back(&row.download);
        }
    }
    TrendFigures f;
    f.downloads = static_cast<int>(in.size());
    double weighted = 0;
    // Σ(nᵢ − 1)sᵢ² and Σ(nᵢ − 1): the within-download squares and their degrees of freedom.
    double squares = 0;
    double freedom = 0;
    double movingRanges = 0;
    int outOfTolerance = 0;
    int judged = 0;
    bool anyLimits = false;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const KeptDownload& d = *in[i];
        f.points += d.counted;
        weighted += d.counted * *d.mean;
        freedom += d.counted - 1;
        if (d.counted >= 2) {
            const double s = d.standardDeviation.value_or(0);
            squares += (d.counted - 1) * (s * s);
        }
        if (i > 0) {
            movingRanges += std::abs(*d.mean - *in[i - 1]->mean);
        }
        if (d.belowLsl || d.aboveUsl) {
            anyLimits = true;
            outOfTolerance += d.belowLsl.value_or(0) + d.aboveUsl.value_or(0);
            judged += d.counted;
        }
    }

    const double grand = f.points >= 1 ? weighted / f.points : 0;
    f.grandMean = f.points >= 1 ? valueOf(grand) : because(kNeedsAValue);
    f.pooledStandardDeviation =
        freedom >= 1 ? valueOf(std::sqrt(squares / freedom)) : because(kNeedsADownloadOfTwo);
    f.withinSigma = f.pooledStandardDeviation.value
                        ? valueOf(*f.pooledStandardDeviation.value / c4(freedom + 1))
                        : f.pooledStandardDeviation;
    if (f.points >= 2) {
        // All points' squares about the grand mean: each download's own and its mean's offset.
        double between = 0;
        for (const KeptDownload* d : in) {
            between += d->counted * ((*d->mean - grand) * (*d->mean - grand));
        }
        f.overallStandardDeviation = valueOf(std::sqrt((squares + between) / (f.points - 1)));
    } else {
        f.overallStandardDeviation = because(kNeedsTwoValues);
    }

    if (f.downloads >= 2) {
        const double average = movingRanges / (f.downloads - 1);
        f.averageMovingRangeOfMeans = valueOf(average);
        f.lowerControlLimit = valueOf(grand - kControlLimitFactor * average);
        f.upperControlLimit = valueOf(grand + kControlLimitFactor * average);
    } else {
        f.averageMovingRangeOfMeans = f.lowerControlLimit = f.upperControlLimit =
            because(kNeedsTwoDownloads);
    }

    f.cp = potentialCapability(limits, dividing(f.withinSigma));
    f.cpk = actualCapability(limits, grand, dividing(f.withinSigma));
    f.pp = potentialCapability(limits, dividing(f.overallStandardDeviation));
    f.ppk = actualCapability(limits, grand, dividing(f.overallStandardDeviation));

    if (anyLimits) {
        f.outOfTolerance = valueOf(outOfTolerance);
        f.outOfToleranceShare = valueOf(double(outOfTolerance) / judged);
    } else {
        f.outOfTolerance = f.outOfToleranceShare = because(kNeedsDownloadLimits);
    }
    return f;
}

SChartLevels sChartLevels(int n, const Figure& withinSigma) {
    if (n < 2) {
        return {because(kNeedsTwoValues), because(kNeedsTwoValues), because(kNeedsTwoValues)};
    }
    if (!withinSigma.value) {
        return {withinSigma, withinSigma, withinSigma};
    }
    const double sigma = *withinSigma.value;
    const double centre = c4(n);
    const double reach = 3 * std::sqrt(1 - centre * centre);
    return {valueOf(centre * sigma), valueOf(std::max(0.0, sigma * (centre - reach))),
            valueOf(sigma * (centre + reach))};
}

Figure cpkAtLimits(const KeptDownload& download, const SummaryChoices& limits) {
    Figure sigma;
    if (download.counted < 2 || !download.averageMovingRange) {
        sigma = because(kNeedsTwoValues);
    } else if (download.minimum == download.maximum) {
        sigma = because(kZeroSpread);
    } else {
        sigma = valueOf(*download.averageMovingRange / kMovingRangeD2);
    }
    return actualCapability(limits, download.mean.value_or(0), sigma);
}

}  // namespace history
