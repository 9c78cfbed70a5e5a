#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "history/download_facts.h"
#include "history/trend_figures.h"
#include "pointsfile/received_lines.h"
#include "pointsfile/summary_figures.h"

namespace {

using history::TrendRow;
using pointsfile::Figure;
using Expected = std::variant<double, const char*>;

const std::optional<double> kNone;

// A download as the history keeps it: the Summary's figures of its values at its own limits.
TrendRow download(const std::vector<double>& values, std::optional<double> lower = kNone,
                  std::optional<double> upper = kNone, const std::string& repeatOf = {}) {
    pointsfile::ReceivedLines lines;
    for (const double value : values) {
        lines.add(pointsfile::Section::Memory, "1\t" + std::to_string(value));
    }
    TrendRow row{history::keptDownloadOf({}, {lower, upper, {}, 2, {}}, lines), repeatOf, {}};
    return row;
}

void expectFigure(const Figure& found, const Expected& expected, const std::string& where) {
    if (const double* value = std::get_if<double>(&expected)) {
        ASSERT_TRUE(found.value) << where << " says " << found.whyNot;
        EXPECT_NEAR(*found.value, *value, 1e-12 * (1 + std::abs(*value))) << where;
    } else {
        EXPECT_EQ(found.value, std::nullopt) << where;
        EXPECT_EQ(found.whyNot, std::get<const char*>(expected)) << where;
    }
}

const char* const kLabels[] = {"Downloads", "Points", "Grand mean", "Pooled", "Within",
                               "Overall",   "MR",     "LCL",        "UCL",    "Cp",
                               "Cpk",       "Pp",     "Ppk",        "Out",    "Share"};

TEST(TrendFigures, BetweenAndWithinFromEachDownloadsCountMeanAndSpread) {
    const double pi = std::numbers::pi;
    // c4 of 2, 3 and 5 in closed form: √(2/π), √π/2, (3/4)√(π/2).
    const double c4of2 = std::sqrt(2 / pi);
    const double c4of3 = std::sqrt(pi) / 2;
    const double c4of5 = 0.75 * std::sqrt(pi / 2);
    const struct {
        const char* what;
        std::vector<TrendRow> rows;
        std::optional<double> lower, upper;
        std::vector<Expected> figures;
    } cases[] = {
        {"two downloads of three; a repeat and a download without values left out",
         {download({1, 2, 3}, 0.0, 7.0), download({1, 2, 3}, 0.0, 7.0, "uid-1"), download({}),
          download({4, 5, 6}, 0.0, 7.0)},
         0.0,
         7.0,
         // Overall: the squares of 1 to 6 about 3.5 are 17.5, over 5.
         {2.0, 6.0, 3.5, 1.0, 1 / c4of5, std::sqrt(3.5), 3.0, 3.5 - 2.66 * 3, 3.5 + 2.66 * 3,
          7 / (6 / c4of5), 3.5 / (3 / c4of5), 7 / (6 * std::sqrt(3.5)), 3.5 / (3 * std::sqrt(3.5)),
          0.0, 0.0}},
        {"unequal sizes; the share only of the points judged at a limit",
         {download({1, 3}, 0.0, 2.5), download({2, 4, 6, 8})},
         0.0,
         10.0,
         // Within: (1·2 + 3·20/3) / 4; overall: 22 and 2·2² + 4·1² between, over 5.
         {2.0, 6.0, 4.0, std::sqrt(5.5), std::sqrt(5.5) / c4of5, std::sqrt(6.8), 3.0, 4 - 2.66 * 3,
          4 + 2.66 * 3, 10 / (6 * std::sqrt(5.5) / c4of5), 4 / (3 * std::sqrt(5.5) / c4of5),
          10 / (6 * std::sqrt(6.8)), 4 / (3 * std::sqrt(6.8)), 1.0, 0.5}},
        {"one download",
         {download({1, 2, 4}, 0.0, 6.0)},
         0.0,
         6.0,
         {1.0, 3.0, 7.0 / 3, std::sqrt(7.0 / 3), std::sqrt(7.0 / 3) / c4of3, std::sqrt(7.0 / 3),
          "needs 2 downloads", "needs 2 downloads", "needs 2 downloads",
          1 / (std::sqrt(7.0 / 3) / c4of3), (7.0 / 3) / (3 * std::sqrt(7.0 / 3) / c4of3),
          1 / std::sqrt(7.0 / 3), (7.0 / 3) / (3 * std::sqrt(7.0 / 3)), 0.0, 0.0}},
        {"a download of one value, no limits on the trend",
         {download({5}), download({1, 3}, 0.0, 2.0)},
         kNone,
         kNone,
         {2.0, 3.0, 3.0, std::sqrt(2.0), std::sqrt(2.0) / c4of2, 2.0, 3.0, 3 - 2.66 * 3,
          3 + 2.66 * 3, "needs LSL and USL", "needs LSL or USL", "needs LSL and USL",
          "needs LSL or USL", 1.0, 0.5}},
        {"every download of one value",
         {download({2}), download({4})},
         0.0,
         6.0,
         {2.0, 2.0, 3.0, "needs a download of 2 values", "needs a download of 2 values",
          std::sqrt(2.0), 2.0, 3 - 2.66 * 2, 3 + 2.66 * 2, "needs a download of 2 values",
          "needs a download of 2 values", 6 / (6 * std::sqrt(2.0)), 3 / (3 * std::sqrt(2.0)),
          "needs a download with limits", "needs a download with limits"}},
        {"zero spread within the downloads, not between them",
         {download({2, 2}), download({4, 4})},
         0.0,
         6.0,
         {2.0, 4.0, 3.0, 0.0, 0.0, std::sqrt(4.0 / 3), 2.0, 3 - 2.66 * 2, 3 + 2.66 * 2,
          "zero spread", "zero spread", 6 / (6 * std::sqrt(4.0 / 3)), 3 / (3 * std::sqrt(4.0 / 3)),
          "needs a download with limits", "needs a download with limits"}},
    };
    for (const auto& c : cases) {
        const history::TrendFigures f =
            history::trendFigures(c.rows, {c.lower, c.upper, {}, {}, {}});
        const std::vector<Figure> found = {{double(f.downloads), {}},
                                           {double(f.points), {}},
                                           f.grandMean,
                                           f.pooledStandardDeviation,
                                           f.withinSigma,
                                           f.overallStandardDeviation,
                                           f.averageMovingRangeOfMeans,
                                           f.lowerControlLimit,
                                           f.upperControlLimit,
                                           f.cp,
                                           f.cpk,
                                           f.pp,
                                           f.ppk,
                                           f.outOfTolerance,
                                           f.outOfToleranceShare};
        ASSERT_EQ(found.size(), c.figures.size()) << c.what;
        for (std::size_t i = 0; i < found.size(); ++i) {
            expectFigure(found[i], c.figures[i], std::string(c.what) + ": " + kLabels[i]);
        }
    }
}

TEST(TrendFigures, C4AsThePublishedTableAndFiniteForAFullMemory) {
    const double published[] = {0.7979, 0.8862, 0.9213, 0.9400, 0.9515, 0.9594, 0.9650, 0.9693,
                                0.9727, 0.9754, 0.9776, 0.9794, 0.9810, 0.9823, 0.9835, 0.9845,
                                0.9854, 0.9862, 0.9869, 0.9876, 0.9882, 0.9887, 0.9892, 0.9896};
    for (int n = 2; n <= 25; ++n) {
        EXPECT_NEAR(history::c4(n), published[n - 2], 5e-5) << "n = " << n;
    }
    // Γ(16383.5) overflows a double; c4 is then 1 − 1/(4n) to within 1/n².
    const double n = 32767;
    EXPECT_NEAR(history::c4(n), 1 - 1 / (4 * n), 1 / (n * n));
}

TEST(TrendFigures, SChartLevelsAsThePublishedB5AndB6) {
    const struct {
        int n;
        double sigma;
        Expected centre, lower, upper;
    } cases[] = {
        {2, 1.0, 0.7979, 0.0, 2.606},
        {6, 1.0, 0.9515, 0.029, 1.874},
        {10, 1.0, 0.9727, 0.276, 1.669},
        {21, 1.0, 0.9876, 0.516, 1.459},
        {10, 2.0, 1.9454, 0.552, 3.338},
        {1, 1.0, "needs 2 values", "needs 2 values", "needs 2 values"},
    };
    for (const auto& c : cases) {
        const history::SChartLevels levels = history::sChartLevels(c.n, {c.sigma, {}});
        const std::string where = "n = " + std::to_string(c.n);
        for (const auto& [found, expected] : {std::pair{levels.centre, c.centre},
                                              {levels.lower, c.lower},
                                              {levels.upper, c.upper}}) {
            if (const double* value = std::get_if<double>(&expected)) {
                ASSERT_TRUE(found.value) << where;
                EXPECT_NEAR(*found.value, *value, 1e-3) << where;
            } else {
                expectFigure(found, expected, where);
            }
        }
    }
    const history::SChartLevels unknown =
        history::sChartLevels(5, {std::nullopt, history::kNeedsADownloadOfTwo});
    EXPECT_EQ(unknown.upper.whyNot, history::kNeedsADownloadOfTwo);
}

TEST(TrendFigures, EachDownloadsCpkAtOtherLimitsAsItsOwnSummaryGivesIt) {
    const struct {
        std::vector<double> values;
        std::optional<double> lower, upper;
    } cases[] = {{{1, 2, 4}, 0.0, 6.0},   {{1, 2, 4}, kNone, 3.5},
                 {{1, 2, 4}, 1.5, kNone}, {{1, 2, 4}, kNone, kNone},
                 {{1, 2, 4}, 3.0, 1.0},   {{2, 2, 2}, 0.0, 6.0},
                 {{5}, 0.0, 6.0}};
    for (const auto& c : cases) {
        const pointsfile::SummaryChoices limits{c.lower, c.upper, {}, {}, {}};
        pointsfile::ValueStatistics own(limits);
        for (const double value : c.values) {
            own.add(value);
        }
        // Downloaded without limits, judged at these.
        const Figure found = history::cpkAtLimits(download(c.values).download, limits);
        const Figure expected = own.figures().cpk;
        const std::string where = std::to_string(c.values.size()) + " values";
        if (expected.value) {
            expectFigure(found, *expected.value, where);
        } else {
            EXPECT_EQ(found.value, std::nullopt) << where;
            EXPECT_EQ(found.whyNot, expected.whyNot) << where;
        }
    }
}

}  // namespace
