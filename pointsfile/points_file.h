#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pointsfile/file_table.h"

namespace pointsfile {

// The file a transfer writes: one row per point, each followed by CR LF, nothing else.
class PointsFile {
public:
    explicit PointsFile(FileTable& files) : m_files(files) {}

    // Takes the lowest free file number, then creates or empties the file at the path.
    // Throws FileError.
    void open(const std::string& path);
    void writeRow(std::string_view row);
    // Closing when nothing is open does nothing.
    void close();

    bool isOpen() const { return m_open; }
    const std::string& name() const { return m_name; }
    std::int16_t number() const { return m_number; }
    // Rows written since the last open: what the file holds.
    int rowsWritten() const { return m_rowsWritten; }

private:
    FileTable& m_files;
    std::string m_name;
    std::int16_t m_number = 0;
    // Once closed, the number may belong to another file (the settings file takes 1).
    bool m_open = false;
    int m_rowsWritten = 0;
};

// With space delimiters on, every tab of the point line becomes one blank.
std::string applyDelimiterRule(std::string_view pointLine, bool useSpaceDelimiters);

// A memory row is written unless deletes are left out and it begins with an upper-case "D",
// the gauge's mark of a deleted point.
bool passesDeletedPointRule(std::string_view row, bool includeDeletes);

}  // namespace pointsfile
