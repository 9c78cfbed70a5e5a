#pragma once

#include <string_view>
#include <vector>

#include "history/history_reader.h"
#include "pointsfile/summary_choices.h"
#include "pointsfile/summary_figures.h"

namespace history {

// Why a figure of the trend cannot be computed, beside the Summary's own reasons.
inline constexpr std::string_view kNeedsTwoDownloads = "needs 2 downloads";
inline constexpr std::string_view kNeedsADownloadOfTwo = "needs a download of 2 values";
inline constexpr std::string_view kNeedsDownloadLimits = "needs a download with limits";

// The Cpk a capable process keeps, drawn across the Cpk by download chart.
inline constexpr double kCapableCpk = 1.33;

// c4(n) = √(2/(n−1)) · Γ(n/2) / Γ((n−1)/2): the mean of a sample standard deviation of n normal
// values, in sigmas. By logarithms of Γ, which overflows a double long before a full memory's
// 32,767 values. n from 2.
double c4(double n);

// A download that takes part in the trend's figures and charts: not a repeat of one already in
// them, and with a counted value.
bool inTrend(const TrendRow& row);

// The trend's figures over the downloads in it, at the limits given (the Trend sheet's inputs).
// Each download is a subgroup of its own size: the within sigma pools the downloads' own
// standard deviations, the overall one is that of all their points together.
struct TrendFigures {
    int downloads = 0;
    int points = 0;
    pointsfile::Figure grandMean;
    pointsfile::Figure pooledStandardDeviation;
    // The pooled standard deviation over c4 of its degrees of freedom plus one.
    pointsfile::Figure withinSigma;
    pointsfile::Figure overallStandardDeviation;
    pointsfile::Figure averageMovingRangeOfMeans;
    // The means chart's control limits: the grand mean ∓ 2.66 × the average moving range of means.
    pointsfile::Figure lowerControlLimit, upperControlLimit;
    // With the within sigma, and with the overall standard deviation.
    pointsfile::Figure cp, cpk, pp, ppk;
    // The downloads' own counts at the limits each was downloaded with; the share is of the points
    // of the downloads that had a limit.
    pointsfile::Figure outOfTolerance, outOfToleranceShare;
};

TrendFigures trendFigures(const std::vector<TrendRow>& rows,
                          const pointsfile::SummaryChoices& limits);

// The S chart's centre and control limits for a download of n values: σ̂·c4(n) and
// σ̂·(c4(n) ∓ 3√(1 − c4(n)²)), the lower not below 0, with σ̂ the within sigma.
struct SChartLevels {
    pointsfile::Figure centre, lower, upper;
};

SChartLevels sChartLevels(int n, const pointsfile::Figure& withinSigma);

// A download's Cpk at the limits given, as its own Summary computes it: its mean and its
// short-term sigma (average moving range / 1.128).
pointsfile::Figure cpkAtLimits(const KeptDownload& download,
                               const pointsfile::SummaryChoices& limits);

}  // namespace history
