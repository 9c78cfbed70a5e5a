#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "pointsfile/fields.h"
#include "pointsfile/summary_figures.h"
#include "pointsfile/value_field.h"

namespace {

using pointsfile::Figure;
using Expected = std::variant<double, const char*>;

// The figures in the order the Summary shows them, from Points to UCL.
std::vector<Figure> inOrder(const pointsfile::SummaryFigures& f) {
    return {{double(f.points), {}},
            f.mean,
            f.standardDeviation,
            f.minimum,
            f.maximum,
            f.range,
            f.averageMovingRange,
            f.shortTermSigma,
            f.cp,
            f.cpk,
            f.pp,
            f.ppk,
            f.belowLower,
            f.aboveUpper,
            f.outOfTolerance,
            f.outOfToleranceShare,
            f.lowerControlLimit,
            f.upperControlLimit};
}

const char* const kLabels[] = {"Points", "Mean",  "SD",  "Min",   "Max", "Range",
                               "AMR",    "Sigma", "Cp",  "Cpk",   "Pp",  "Ppk",
                               "Below",  "Above", "Out", "Share", "LCL", "UCL"};

TEST(SummaryFigures, EachFigureOrWhyItCannotBe) {
    const std::optional<double> none;
    // Sigma of 1, 2, 4 (moving ranges 1 and 2) and of its sample: sqrt(((4/3)² + (1/3)² +
    // (5/3)²) / 2).
    const double shortSigma = 1.5 / 1.128;
    const double sampleSigma = std::sqrt(7.0 / 3);
    const struct {
        const char* what;
        std::vector<const char*> lines;
        std::optional<double> lower, upper;
        std::vector<Expected> figures;
    } cases[] = {
        {"no values",
         {},
         1.0,
         3.0,
         {0.0, "needs a value", "needs 2 values", "needs a value", "needs a value", "needs a value",
          "needs 2 values", "needs 2 values", "needs 2 values", "needs 2 values", "needs 2 values",
          "needs 2 values", 0.0, 0.0, 0.0, "needs a value", "needs 2 values", "needs 2 values"}},
        {"one value, no limits",
         {"1\t2.5\tmm"},
         none,
         none,
         {1.0, 2.5, "needs 2 values", 2.5, 2.5, 0.0, "needs 2 values", "needs 2 values",
          "needs LSL and USL", "needs LSL or USL", "needs LSL and USL", "needs LSL or USL",
          "needs LSL", "needs USL", "needs LSL or USL", "needs LSL or USL", "needs 2 values",
          "needs 2 values"}},
        {"two values in limits",
         {"1\t1.0", "2\t2.0"},
         0.0,
         3.0,
         {2.0, 1.5, std::sqrt(0.5), 1.0, 2.0, 1.0, 1.0, 1 / 1.128, 3 / (6 / 1.128),
          1.5 / (3 / 1.128), 3 / (6 * std::sqrt(0.5)), 1.5 / (3 * std::sqrt(0.5)), 0.0, 0.0, 0.0,
          0.0, 1.5 - 2.66, 1.5 + 2.66}},
        {"all values equal",
         {"1\t12.0007", "2\t12.0007", "3\t12.0007"},
         12.0,
         12.001,
         {3.0, 12.0007, 0.0, 12.0007, 12.0007, 0.0, 0.0, 0.0, "zero spread", "zero spread",
          "zero spread", "zero spread", 0.0, 0.0, 0.0, 0.0, 12.0007, 12.0007}},
        {"text and a deleted point between counted values, upper limit only",
         {"1\t1.0", "2\tERR", "D3\t9.0", "4\t2", "5\t4.0"},
         none,
         3.5,
         {3.0, 7.0 / 3, sampleSigma, 1.0, 4.0, 3.0, 1.5, shortSigma, "needs LSL and USL",
          (3.5 - 7.0 / 3) / (3 * shortSigma), "needs LSL and USL",
          (3.5 - 7.0 / 3) / (3 * sampleSigma), "needs LSL", 1.0, 1.0, 1.0 / 3, 7.0 / 3 - 2.66 * 1.5,
          7.0 / 3 + 2.66 * 1.5}},
        {"lower limit only",
         {"1\t1.0", "2\t2.0", "3\t4.0"},
         1.5,
         none,
         {3.0, 7.0 / 3, sampleSigma, 1.0, 4.0, 3.0, 1.5, shortSigma, "needs LSL and USL",
          (7.0 / 3 - 1.5) / (3 * shortSigma), "needs LSL and USL",
          (7.0 / 3 - 1.5) / (3 * sampleSigma), 1.0, "needs USL", 1.0, 1.0 / 3, 7.0 / 3 - 2.66 * 1.5,
          7.0 / 3 + 2.66 * 1.5}},
        {"both limits, the mean nearer the upper",
         {"1\t1.0", "2\t2.0", "3\t4.0"},
         0.0,
         3.0,
         {3.0, 7.0 / 3, sampleSigma, 1.0, 4.0, 3.0, 1.5, shortSigma, 3 / (6 * shortSigma),
          (3 - 7.0 / 3) / (3 * shortSigma), 3 / (6 * sampleSigma),
          (3 - 7.0 / 3) / (3 * sampleSigma), 0.0, 1.0, 1.0, 1.0 / 3, 7.0 / 3 - 2.66 * 1.5,
          7.0 / 3 + 2.66 * 1.5}},
        {"reversed limits",
         {"1\t1.0", "2\t2.0"},
         3.0,
         1.0,
         {2.0, 1.5, std::sqrt(0.5), 1.0, 2.0, 1.0, 1.0, 1 / 1.128, "needs LSL below USL",
          "needs LSL below USL", "needs LSL below USL", "needs LSL below USL",
          "needs LSL below USL", "needs LSL below USL", "needs LSL below USL",
          "needs LSL below USL", 1.5 - 2.66, 1.5 + 2.66}},
    };
    for (const auto& c : cases) {
        pointsfile::ValueStatistics statistics({c.lower, c.upper, {}, {}, {}});
        for (const char* line : c.lines) {
            if (const std::optional<double> value = pointsfile::countedValue(line, 2)) {
                statistics.add(*value);
            }
        }
        const std::vector<Figure> found = inOrder(statistics.figures());
        ASSERT_EQ(found.size(), c.figures.size()) << c.what;
        for (std::size_t i = 0; i < found.size(); ++i) {
            const std::string where = std::string(c.what) + ": " + kLabels[i];
            if (const double* value = std::get_if<double>(&c.figures[i])) {
                ASSERT_TRUE(found[i].value) << where << " says " << found[i].whyNot;
                EXPECT_NEAR(*found[i].value, *value, 1e-12 * (1 + std::abs(*value))) << where;
            } else {
                EXPECT_EQ(found[i].value, std::nullopt) << where;
                EXPECT_EQ(found[i].whyNot, std::get<const char*>(c.figures[i])) << where;
            }
        }
    }
}

TEST(ValueField, MostFractionalNumbersOfTheCountedRowsLeftmostOnATie) {
    const struct {
        std::vector<const char*> lines;
        std::optional<int> field;
    } cases[] = {
        {{"1\t12.0007\tmm", "2\t12.0010\tmm"}, 2},
        {{"1\t2.5\t3.25", "2\t7\t4.5"}, 3},
        {{"1.5\t2.5"}, 1},
        // Deleted points never count: field 3's decimals are all in deleted rows.
        {{"D1\t1\t2.5", "D2\t1\t2.5", "3\t1.5\t2"}, 2},
        // A gauge that counts: the field with the most numbers.
        {{"A\t3\t4", "B\tx\t5"}, 3},
        {{"ERR\tmm", "D1\t2.5"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        pointsfile::ValueFieldTally tally;
        for (const char* line : c.lines) {
            tally.add(line, pointsfile::splitFields(line));
        }
        EXPECT_EQ(tally.valueField(), c.field) << c.lines.size() << " rows from " << c.lines[0];
    }
}

TEST(HistogramBins, RootOfTheCountHeldBetween8And30WithEdgesBetweenTheGaugesValues) {
    EXPECT_EQ(pointsfile::histogramBins(3, 1, 2, 1).count(), 8u);
    EXPECT_EQ(pointsfile::histogramBins(100, 1, 2, 1).count(), 10u);
    EXPECT_EQ(pointsfile::histogramBins(32767, 1, 2, 1).count(), 30u);

    // 12.000 to 12.008 in 8 bins: each a thousandth wide, its edges half a ten-thousandth below.
    const pointsfile::HistogramBins bins = pointsfile::histogramBins(9, 12.0, 12.008, 4);
    ASSERT_EQ(bins.count(), 8u);
    EXPECT_DOUBLE_EQ(bins.innerEdges.front(), 12.00095);
    EXPECT_DOUBLE_EQ(bins.innerEdges.back(), 12.00695);
    EXPECT_EQ(bins.binOf(12.0), 0u);
    EXPECT_EQ(bins.binOf(12.0009), 0u);
    EXPECT_EQ(bins.binOf(12.0010), 1u);
    EXPECT_EQ(bins.binOf(12.008), 7u);
    EXPECT_EQ(bins.lower(0), 12.0);
    EXPECT_EQ(bins.upper(7), 12.008);
}

}  // namespace
