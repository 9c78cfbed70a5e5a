#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pointsfile/download_record.h"

namespace pointsfile {

// Every point line a transfer received, in order, from both sections, written to its file or not:
// what the history keeps. One block of bytes and an end per line, so that 32,767 lines cost about
// their own size.
class ReceivedLines {
public:
    void add(Section section, std::string_view line);
    void clear();

    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    Section section(std::size_t index) const { return m_sections[index]; }
    // The gauge's line as it came, without its line end.
    std::string_view line(std::size_t index) const;

private:
    std::string m_bytes;
    std::vector<std::uint32_t> m_ends;
    std::vector<Section> m_sections;
};

}  // namespace pointsfile
