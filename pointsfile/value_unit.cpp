#include "pointsfile/value_unit.h"

namespace pointsfile {

void ValueUnit::add(const std::vector<std::string_view>& fields, int valueField) {
    const auto after = static_cast<std::size_t>(valueField);
    const std::string_view unit = after < fields.size() ? fields[after] : std::string_view();
    if (!m_unit) {
        m_unit = std::string(unit);
    } else if (*m_unit != unit) {
        m_differ = true;
    }
}

std::string ValueUnit::unit() const {
    return m_differ ? std::string() : m_unit.value_or("");
}

}  // namespace pointsfile
