#include "pointsfile/points_file.h"

#include <algorithm>

#include "pointsfile/file_error.h"

namespace pointsfile {

void PointsFile::open(const std::string& path) {
    m_number = m_files.freeFileNumber();
    m_name = path;
    m_rowsWritten = 0;
    m_files.openForWriting(m_number, path);
    m_open = true;
}

void PointsFile::writeRow(std::string_view row) {
    // After the close the number may belong to the settings file; a late row must not land there.
    if (!m_open) {
        throw FileError(m_name, "the points file is not open", "write to");
    }
    m_files.writeLine(m_number, row);
    ++m_rowsWritten;
}

void PointsFile::close() {
    if (!m_open) {
        return;
    }
    m_open = false;
    m_files.close(m_number);
}

std::string applyDelimiterRule(std::string_view pointLine, bool useSpaceDelimiters) {
    std::string row(pointLine);
    if (useSpaceDelimiters) {
        std::replace(row.begin(), row.end(), '\t', ' ');
    }
    return row;
}

bool passesDeletedPointRule(std::string_view row, bool includeDeletes) {
    return includeDeletes || row.empty() || row.front() != 'D';
}

}  // namespace pointsfile
