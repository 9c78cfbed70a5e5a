#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace pointsfile {

// The value of a memory row's field (1 is the first) when it counts in the workbook's figures: the
// field holds a number and the row is not a point the gauge marks as deleted. Statistics rows never
// count and are never asked.
std::optional<double> countedValue(std::string_view pointLine, int field);

// What the memory rows hold in one field, over the rows that are not deleted points.
struct FieldNumbers {
    int numbers = 0;
    // Numbers written with decimals ("12.0007", not "3").
    int fractional = 0;
    double minimum = 0;
    double maximum = 0;
    int mostDecimals = 0;
};

// Tallies the memory rows as they arrive, so that the field the figures are of can be chosen, and
// its histogram laid out, before the rows are read back.
class ValueFieldTally {
public:
    // The row and its fields as splitFields gives them, which its writer has split already.
    void add(std::string_view pointLine, const std::vector<std::string_view>& fields);

    // The field in which the most rows hold a number with decimals, a tie going to the leftmost;
    // where none has decimals (a gauge that counts), the field in which the most rows hold a
    // number. Nothing when no field holds a number.
    std::optional<int> valueField() const;
    FieldNumbers numbersOf(int field) const;

private:
    std::vector<FieldNumbers> m_fields;
};

}  // namespace pointsfile
