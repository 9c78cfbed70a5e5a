#include "pointsfile/received_lines.h"

namespace pointsfile {

void ReceivedLines::add(Section section, std::string_view line) {
    m_bytes.append(line);
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
    m_sections.push_back(section);
}

void ReceivedLines::clear() {
    m_bytes.clear();
    m_ends.clear();
    m_sections.clear();
}

std::string_view ReceivedLines::line(std::size_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_bytes).substr(begin, m_ends[index] - begin);
}

}  // namespace pointsfile
