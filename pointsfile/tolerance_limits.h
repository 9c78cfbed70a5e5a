#pragma once

#include <string>
#include <string_view>

#include "pointsfile/summary_choices.h"

namespace pointsfile {

// What the Summary's input cells and the window's Tolerance Limits dialog call the three values.
inline constexpr std::string_view kLowerLimitLabel = "Lower limit (LSL)";
inline constexpr std::string_view kUpperLimitLabel = "Upper limit (USL)";
inline constexpr std::string_view kNominalLabel = "Nominal";
// And what the limits belong to.
inline constexpr std::string_view kCharacteristicLabel = "Characteristic";

// One value as typed, and the name a refusal calls it by ("--lower-limit", "Lower limit (LSL)").
struct LimitText {
    std::string_view name;
    std::string_view text;
};

// The limits the texts give (no value field), or why they give none.
struct LimitsReading {
    SummaryChoices limits;
    // Empty when the texts are taken.
    std::string refusal;
    // Which of the three texts the refusal is about (0 lower, 1 upper, 2 nominal); -1 for none.
    int refusedText = -1;
};

// Blank is no value; else a finite decimal number with an optional sign and exponent, its mark "."
// or the given one (the locale's). Refused: any other text, and a lower limit not below the upper.
LimitsReading readLimits(const LimitText& lower, const LimitText& upper, const LimitText& nominal,
                         std::string_view decimalMark);

// A characteristic as typed, without the blanks around it and with any control character (a line
// end, a tab) made a blank: a name on one line.
std::string characteristicOf(std::string_view typed);

// The shortest text that reads back as the value, with the decimal mark given.
std::string limitText(double value, std::string_view decimalMark);

}  // namespace pointsfile
