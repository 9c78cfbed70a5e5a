#include "view/view_error.h"

namespace view {

RefusedValue::RefusedValue(std::string_view control, std::int64_t value)
    : std::runtime_error(std::string(control) + " refuses the value " + std::to_string(value)),
      m_control(control),
      m_value(value) {}

}  // namespace view
