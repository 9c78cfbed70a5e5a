#pragma once

#include <string>

#include "history/history_error.h"
#include "history/history_reader.h"
#include "pointsfile/csv_form.h"

namespace history {

// The history holds no download of the uid asked for.
class UnknownDownload : public HistoryError {
public:
    using HistoryError::HistoryError;
};

// Makes a download's file again from the history, in the form the path's name says: the points
// file byte for byte as that download wrote it (its rows, its delimiter and deletes choices, CR
// LF), a CSV file in the given style, or a workbook with its Summary, limits and characteristic.
// Throws UnknownDownload for a uid the history does not hold, HistoryError when it cannot be read,
// and pointsfile::FileError when the file cannot be written, which then is not left half made.
void rebuildFile(HistoryReader& reader, const std::string& uid, const std::string& path,
                 const pointsfile::CsvStyle& csv);

}  // namespace history
