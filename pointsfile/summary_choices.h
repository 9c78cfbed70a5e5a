#pragma once

#include <optional>
#include <string>

namespace pointsfile {

// The starting values of the workbook Summary's input cells, and the field its figures are of.
// The engineer can change the limits in the workbook; these only fill the cells.
struct SummaryChoices {
    std::optional<double> lowerLimit;
    std::optional<double> upperLimit;
    std::optional<double> nominal;
    // The field as the Points header numbers it ("Field 2" is 2); empty: the field in which the
    // most memory rows hold a decimal number with a fractional part.
    std::optional<int> valueField;
    // What the limits belong to, as the user named it (UTF-8); empty for none.
    std::string characteristic;
};

}  // namespace pointsfile
