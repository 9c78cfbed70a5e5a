#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pointsfile {

// The unit of the counted values, as the Summary names it: the field after the value field, while
// every counted row has the same one.
class ValueUnit {
public:
    // A counted row's fields as splitFields gives them, and the value field (1 is the first).
    void add(const std::vector<std::string_view>& fields, int valueField);
    // The gauge's bytes; empty when the rows name none or disagree.
    std::string unit() const;

private:
    std::optional<std::string> m_unit;
    bool m_differ = false;
};

}  // namespace pointsfile
