#include "workbook/workbook_form.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "pointsfile/fields.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_removal.h"
#include "pointsfile/file_table.h"
#include "pointsfile/points_file.h"
#include "pointsfile/row_sink.h"
#include "pointsfile/value_field.h"
#include "workbook/workbook.h"
#include "workbook/workbook_summary.h"

namespace workbook {

using pointsfile::decimalPlaces;
using pointsfile::DownloadRecord;
using pointsfile::FileError;
using pointsfile::FileTable;
using pointsfile::numberValue;
using pointsfile::PointsFile;
using pointsfile::RowSink;
using pointsfile::Section;
using pointsfile::sectionName;
using pointsfile::splitFields;
using pointsfile::SummaryChoices;
using pointsfile::ValueFieldTally;

namespace {

constexpr double kSectionColumnWidth = 11;
constexpr double kFieldColumnWidth = 12;
constexpr double kItemColumnWidth = 28;
constexpr double kValueColumnWidth = 60;

// Reads the copy back one line at a time, through the program's own file numbers.
class RowsCopyReader {
public:
    RowsCopyReader(FileTable& files, const std::string& path)
        : m_files(files), m_number(files.freeFileNumber()) {
        m_files.openForReading(m_number, path);
    }
    ~RowsCopyReader() {
        try {
            m_files.close(m_number);
        } catch (const FileError&) {
            // A copy that was read needs nothing from its close.
        }
    }
    RowsCopyReader(const RowsCopyReader&) = delete;
    RowsCopyReader& operator=(const RowsCopyReader&) = delete;

    std::optional<std::string> nextLine() {
        std::string line;
        std::optional<char> byte = m_files.readByte(m_number);
        if (!byte) {
            return std::nullopt;
        }
        for (; byte && *byte != '\n'; byte = m_files.readByte(m_number)) {
            line += *byte;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return line;
    }

private:
    FileTable& m_files;
    std::int16_t m_number;
};

void writePoint(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, Section section,
                std::string_view pointLine) {
    book.writeText(sheet, row, 0, sectionName(section));
    lxw_col_t column = 1;
    for (const std::string_view field : splitFields(pointLine)) {
        if (const std::optional<int> decimals = decimalPlaces(field)) {
            book.writeNumber(sheet, row, column, numberValue(field), book.numberFormat(*decimals));
        } else {
            book.writeText(sheet, row, column, field);
        }
        ++column;
    }
}

void writeRecord(Workbook& book, lxw_worksheet* sheet, const DownloadRecord& record,
                 const std::string& characteristic) {
    worksheet_set_column(sheet, 0, 0, kItemColumnWidth, book.boldFormat());
    worksheet_set_column(sheet, 1, 1, kValueColumnWidth, nullptr);
    lxw_row_t row = 0;
    // The program's own texts are UTF-8; the gauge's version answer is its bytes.
    const auto text = [&](std::string_view name, std::string_view value, bool fromGauge = false) {
        book.writeText(sheet, row, 0, name);
        if (!value.empty()) {
            fromGauge ? book.writeText(sheet, row, 1, value)
                      : book.writeUtf8Text(sheet, row, 1, value);
        }
        ++row;
    };
    const auto number = [&](std::string_view name, std::optional<double> value) {
        book.writeText(sheet, row, 0, name);
        if (value) {
            book.writeNumber(sheet, row, 1, *value, book.numberFormat(0));
        }
        ++row;
    };
    const auto yesNo = [](bool on) { return on ? "Yes" : "No"; };
    text("Program", record.program);
    text("Version", record.version);
    text("Pressed at", record.pressedAt);
    text("Characteristic", characteristic);
    text("Port", record.port);
    text("Device", record.device);
    number("Baud rate", decimalPlaces(record.baudRate) ? std::optional(numberValue(record.baudRate))
                                                       : std::nullopt);
    text("Include Statistics", yesNo(record.includeStatistics));
    text("Include Deletes", yesNo(record.includeDeletes));
    text("Use Space Delimiters", yesNo(record.useSpaceDelimiters));
    text("Gauge version", record.gaugeVersion, true);
    number("Statistics points announced", record.statisticsAnnounced);
    number("Memory points announced", record.memoryAnnounced);
    number("Rows written", record.rowsWritten);
    text("Ended with", record.endMessage);
}

class WorkbookSink : public RowSink {
public:
    WorkbookSink(FileTable& files, const std::string& path, const SummaryChoices& summary)
        : m_files(files),
          m_path(path),
          m_copyPath(workbookRowsCopyName(path)),
          m_copy(files),
          m_summary(summary) {
        // Proves the path can be written before the gauge is asked for anything; the empty file
        // goes again, so that a crash leaves no workbook a spreadsheet would call damaged.
        createEmptyFile(files, path);
        pointsfile::removeIfRegularFile(path);
        m_copy.open(m_copyPath);
    }

    void writeRow(Section section, std::string_view pointLine, std::string_view /*row*/) override {
        m_copy.writeRow(pointLine);
        const std::vector<std::string_view> fields = splitFields(pointLine);
        if (section == Section::Statistics) {
            ++m_statisticsRows;
        } else {
            m_memoryRows.add(pointLine, fields);
        }
        m_widestRow = std::max(m_widestRow, fields.size());
    }

    void close(const DownloadRecord& record) override {
        m_copy.close();
        try {
            // Made again first: on Windows the library reaches a name outside the code page by
            // the short name of a file that exists.
            createEmptyFile(m_files, m_path);
            Workbook book(m_path);
            // The sheets in the order of their tabs; each is written in one go, the Summary last,
            // as it reads the figures the Points sheet's rows gave.
            lxw_worksheet* const summarySheet = book.addSheet("Summary");
            lxw_worksheet* const pointsSheet = book.addSheet("Points");
            writeRecord(book, book.addSheet("Download"), record, m_summary.characteristic);
            WorkbookSummary summary(m_summary, m_memoryRows);
            writePoints(book, pointsSheet, summary);
            RowsCopyReader again(m_files, m_copyPath);
            for (lxw_row_t row = 0; row < m_statisticsRows; ++row) {
                again.nextLine();
            }
            const auto rows = static_cast<lxw_row_t>(m_copy.rowsWritten());
            summary.write(book, summarySheet, pointsSheet,
                          {m_statisticsRows + 1, rows - m_statisticsRows},
                          [&again] { return again.nextLine(); });
            book.close();
        } catch (const FileError& error) {
            throw FileError(m_path, error.reason() + "; the rows are kept in " + m_copyPath,
                            "write to");
        }
        pointsfile::removeIfRegularFile(m_copyPath);
    }

private:
    void writePoints(Workbook& book, lxw_worksheet* sheet, WorkbookSummary& summary) {
        const auto rows = static_cast<lxw_row_t>(m_copy.rowsWritten());
        const auto lastColumn = static_cast<lxw_col_t>(m_widestRow);
        worksheet_set_column(sheet, 0, 0, kSectionColumnWidth, nullptr);
        worksheet_set_column(sheet, 1, std::max<lxw_col_t>(lastColumn, 1), kFieldColumnWidth,
                             nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        book.check(worksheet_autofilter(sheet, 0, 0, rows, lastColumn));
        book.writeText(sheet, 0, 0, "Section", book.boldFormat());
        for (lxw_col_t column = 1; column <= lastColumn; ++column) {
            book.writeText(sheet, 0, column, "Field " + std::to_string(column), book.boldFormat());
        }
        RowsCopyReader reader(m_files, m_copyPath);
        lxw_row_t row = 1;
        for (std::optional<std::string> line = reader.nextLine(); line;
             line = reader.nextLine(), ++row) {
            const Section section = row <= m_statisticsRows ? Section::Statistics : Section::Memory;
            writePoint(book, sheet, row, section, *line);
            if (section == Section::Memory) {
                summary.countRow(*line);
            }
        }
    }

    FileTable& m_files;
    std::string m_path;
    std::string m_copyPath;
    PointsFile m_copy;
    SummaryChoices m_summary;
    ValueFieldTally m_memoryRows;
    lxw_row_t m_statisticsRows = 0;
    std::size_t m_widestRow = 0;
};

}  // namespace

std::string workbookRowsCopyName(const std::string& workbookPath) {
    return workbookPath + ".rows.txt";
}

std::unique_ptr<RowSink> openWorkbookSink(FileTable& files, const std::string& path,
                                          const SummaryChoices& summary) {
    return std::make_unique<WorkbookSink>(files, path, summary);
}

}  // namespace workbook
