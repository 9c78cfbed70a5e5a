#pragma once

#include <string>

#include "history/history_reader.h"
#include "pointsfile/csv_form.h"

namespace history {

// Makes a download's file again from the history, in the form the path's name says: the points
// file byte for byte as that download wrote it (its rows, its delimiter and deletes choices, CR
// LF), a CSV file in the given style, or a workbook with its Summary, limits and characteristic.
// Throws HistoryError when the history cannot be read or holds no such uid, and
// pointsfile::FileError when the file cannot be written.
void rebuildFile(HistoryReader& reader, const std::string& uid, const std::string& path,
                 const pointsfile::CsvStyle& csv);

}  // namespace history
