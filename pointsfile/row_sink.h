#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pointsfile/csv_form.h"
#include "pointsfile/download_record.h"
#include "pointsfile/summary_choices.h"

namespace pointsfile {

class FileTable;

// The forms a transfer can write. The text form is the points file, byte for byte as always.
enum class Form { Text, Csv, Workbook };

// The name's extension chooses: ".xlsx" a workbook, ".csv" CSV, anything else the points file.
Form formOfName(std::string_view path);

// How a transfer's file is to be written, as the front end chose it.
struct OutputChoices {
    // Overrides the name's extension.
    std::optional<Form> form;
    CsvStyle csv;
    // The workbook's Summary: its limits and value field.
    SummaryChoices summary;
    // The offered name carries the date and time of the press.
    bool dateAndTimeInName = false;
};

// Where a transfer's rows go, one at a time, in whatever form the file has. Every row reaches the
// disk before writeRow returns, so a crash keeps what arrived.
class RowSink {
public:
    virtual ~RowSink() = default;

    // The gauge's line as it came (fields split at tabs), and the row the points file holds.
    // Throws FileError.
    virtual void writeRow(Section section, std::string_view pointLine, std::string_view row) = 0;
    // Every end of a transfer: the rows so far and, where the form has a place for it, how the
    // download went. Throws FileError; the rows are not lost then.
    virtual void close(const DownloadRecord& record) = 0;
};

// Opens the file at the path in the given form (the choices' own, else the name's) under the
// lowest free file number. Throws FileError; the workbook is refused on standard output.
std::unique_ptr<RowSink> openRowSink(FileTable& files, const std::string& path,
                                     const OutputChoices& choices);

}  // namespace pointsfile
