#include "pointsfile/value_field.h"

#include <algorithm>

#include "pointsfile/fields.h"
#include "pointsfile/points_file.h"

namespace pointsfile {

namespace {

bool isDeletedPoint(std::string_view pointLine) {
    return !passesDeletedPointRule(pointLine, false);
}

// The leftmost field with the highest positive score.
std::optional<int> bestField(const std::vector<FieldNumbers>& fields,
                             int (*score)(const FieldNumbers&)) {
    const auto best = std::max_element(
        fields.begin(), fields.end(),
        [score](const FieldNumbers& a, const FieldNumbers& b) { return score(a) < score(b); });
    if (best == fields.end() || score(*best) == 0) {
        return std::nullopt;
    }
    return static_cast<int>(best - fields.begin()) + 1;
}

}  // namespace

std::optional<double> countedValue(std::string_view pointLine, int field) {
    if (field < 1 || isDeletedPoint(pointLine)) {
        return std::nullopt;
    }
    const std::vector<std::string_view> fields = splitFields(pointLine);
    const auto index = static_cast<std::size_t>(field - 1);
    if (index >= fields.size() || !decimalPlaces(fields[index])) {
        return std::nullopt;
    }
    return numberValue(fields[index]);
}

void ValueFieldTally::add(std::string_view pointLine, const std::vector<std::string_view>& fields) {
    if (isDeletedPoint(pointLine)) {
        return;
    }
    if (m_fields.size() < fields.size()) {
        m_fields.resize(fields.size());
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::optional<int> decimals = decimalPlaces(fields[i]);
        if (!decimals) {
            continue;
        }
        FieldNumbers& tally = m_fields[i];
        const double value = numberValue(fields[i]);
        tally.minimum = tally.numbers == 0 ? value : std::min(tally.minimum, value);
        tally.maximum = tally.numbers == 0 ? value : std::max(tally.maximum, value);
        tally.mostDecimals = std::max(tally.mostDecimals, *decimals);
        ++tally.numbers;
        tally.fractional += *decimals > 0 ? 1 : 0;
    }
}

std::optional<int> ValueFieldTally::valueField() const {
    if (const std::optional<int> field =
            bestField(m_fields, [](const FieldNumbers& f) { return f.fractional; })) {
        return field;
    }
    return bestField(m_fields, [](const FieldNumbers& f) { return f.numbers; });
}

FieldNumbers ValueFieldTally::numbersOf(int field) const {
    const auto index = static_cast<std::size_t>(field - 1);
    return field >= 1 && index < m_fields.size() ? m_fields[index] : FieldNumbers{};
}

}  // namespace pointsfile
