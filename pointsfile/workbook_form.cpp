#include "pointsfile/workbook_form.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "pointsfile/c_library.h"
#include "pointsfile/fields.h"
#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/points_file.h"
#include "pointsfile/row_sink.h"
#include "pointsfile/utf8_path.h"

namespace pointsfile {

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

// One workbook being written. Whatever the library refuses throws FileError naming the workbook.
class Workbook {
public:
    // Rows are written straight to temporary files, so memory stays flat however many points the
    // gauge holds; the system's temporary folder is one the user may write. The workbook's file
    // exists already, made empty by the sink.
    explicit Workbook(const std::string& path) : m_path(path) {
        const std::filesystem::path temporaryFolder = std::filesystem::temp_directory_path();
        const std::optional<std::string> fileName = nameForCLibrary(pathOfUtf8(path));
        m_temporaryFolder = nameForCLibrary(temporaryFolder).value_or("");
        if (!fileName || m_temporaryFolder.empty()) {
            fail(std::string(fileName ? "the temporary folder " + temporaryFolder.string() + ": "
                                      : "") +
                 "its name is outside the system's ANSI code page and it has no 8.3 short name");
        }
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_temporaryFolder.data();
        m_workbook = workbook_new_opt(fileName->c_str(), &options);
        check(m_workbook != nullptr ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    ~Workbook() {
        if (m_workbook != nullptr) {
            workbook_close(m_workbook);
        }
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // The library gives no sheet when it cannot make the sheet's temporary file.
    lxw_worksheet* addSheet(const char* name) {
        lxw_worksheet* sheet = workbook_add_worksheet(m_workbook, name);
        check(sheet != nullptr ? LXW_NO_ERROR : LXW_ERROR_CREATING_TMPFILE);
        return sheet;
    }

    // "0", "0.0", "0.00" ...: a number shows the decimals the gauge sent.
    lxw_format* numberFormat(int decimals) {
        const auto index = static_cast<std::size_t>(decimals);
        if (index >= m_numberFormats.size()) {
            m_numberFormats.resize(index + 1, nullptr);
        }
        if (m_numberFormats[index] == nullptr) {
            m_numberFormats[index] = workbook_add_format(m_workbook);
            const std::string pattern = decimals == 0 ? "0" : "0." + std::string(index, '0');
            format_set_num_format(m_numberFormats[index], pattern.c_str());
        }
        return m_numberFormats[index];
    }

    lxw_format* boldFormat() {
        if (m_bold == nullptr) {
            m_bold = workbook_add_format(m_workbook);
            format_set_bold(m_bold);
        }
        return m_bold;
    }

    void check(lxw_error error) const {
        if (error != LXW_NO_ERROR) {
            fail(lxw_strerror(error));
        }
    }

    void close() {
        const lxw_error error = workbook_close(std::exchange(m_workbook, nullptr));
        check(error);
    }

private:
    [[noreturn]] void fail(const std::string& reason) const {
        throw FileError(m_path, reason, "write to");
    }

    // libxlsxwriter prints numbers with snprintf.
    CNumericLocale m_numbersInC;
    std::string m_path;
    std::string m_temporaryFolder;
    lxw_workbook* m_workbook = nullptr;
    std::vector<lxw_format*> m_numberFormats;
    lxw_format* m_bold = nullptr;
};

void writeText(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
               std::string_view bytes, lxw_format* format = nullptr) {
    book.check(worksheet_write_string(sheet, row, column, latin1ToUtf8(bytes).c_str(), format));
}

void writeNumber(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
                 double value, lxw_format* format = nullptr) {
    book.check(worksheet_write_number(sheet, row, column, value, format));
}

void writePoint(Workbook& book, lxw_worksheet* sheet, lxw_row_t row, Section section,
                std::string_view pointLine) {
    writeText(book, sheet, row, 0, sectionName(section));
    lxw_col_t column = 1;
    for (const std::string_view field : splitFields(pointLine)) {
        if (const std::optional<int> decimals = decimalPlaces(field)) {
            writeNumber(book, sheet, row, column, numberValue(field),
                        book.numberFormat(*decimals));
        } else {
            writeText(book, sheet, row, column, field);
        }
        ++column;
    }
}

void writeRecord(Workbook& book, lxw_worksheet* sheet, const DownloadRecord& record) {
    worksheet_set_column(sheet, 0, 0, kItemColumnWidth, book.boldFormat());
    worksheet_set_column(sheet, 1, 1, kValueColumnWidth, nullptr);
    lxw_row_t row = 0;
    const auto text = [&](std::string_view name, std::string_view value) {
        writeText(book, sheet, row, 0, name);
        if (!value.empty()) {
            writeText(book, sheet, row, 1, value);
        }
        ++row;
    };
    const auto number = [&](std::string_view name, std::optional<double> value) {
        writeText(book, sheet, row, 0, name);
        if (value) {
            writeNumber(book, sheet, row, 1, *value, book.numberFormat(0));
        }
        ++row;
    };
    const auto yesNo = [](bool on) { return on ? "Yes" : "No"; };
    text("Program", record.program);
    text("Version", record.version);
    text("Pressed at", record.pressedAt);
    text("Port", record.port);
    text("Device", record.device);
    number("Baud rate", decimalPlaces(record.baudRate)
                            ? std::optional(numberValue(record.baudRate))
                            : std::nullopt);
    text("Include Statistics", yesNo(record.includeStatistics));
    text("Include Deletes", yesNo(record.includeDeletes));
    text("Use Space Delimiters", yesNo(record.useSpaceDelimiters));
    text("Gauge version", record.gaugeVersion);
    number("Statistics points announced", record.statisticsAnnounced);
    number("Memory points announced", record.memoryAnnounced);
    number("Rows written", record.rowsWritten);
    text("Ended with", record.endMessage);
}

// Creates the file or empties it, through the program's own file numbers.
void createEmpty(FileTable& files, const std::string& path) {
    const std::int16_t number = files.freeFileNumber();
    files.openForWriting(number, path);
    files.close(number);
}

class WorkbookSink : public RowSink {
public:
    WorkbookSink(FileTable& files, const std::string& path)
        : m_files(files), m_path(path), m_copyPath(workbookRowsCopyName(path)), m_copy(files) {
        // Proves the path can be written before the gauge is asked for anything; the empty file
        // goes again, so that a crash leaves no workbook a spreadsheet would call damaged.
        createEmpty(files, path);
        std::error_code ignored;
        std::filesystem::remove(pathOfUtf8(path), ignored);
        m_copy.open(m_copyPath);
    }

    void writeRow(Section section, std::string_view pointLine, std::string_view /*row*/) override {
        m_copy.writeRow(pointLine);
        if (section == Section::Statistics) {
            ++m_statisticsRows;
        }
        m_widestRow = std::max(m_widestRow, splitFields(pointLine).size());
    }

    void close(const DownloadRecord& record) override {
        m_copy.close();
        try {
            // Made again first: on Windows the library reaches a name outside the code page by
            // the short name of a file that exists.
            createEmpty(m_files, m_path);
            Workbook book(m_path);
            writePoints(book);
            writeRecord(book, book.addSheet("Download"), record);
            book.close();
        } catch (const FileError& error) {
            throw FileError(m_path, error.reason() + "; the rows are kept in " + m_copyPath,
                            "write to");
        }
        std::error_code ignored;
        std::filesystem::remove(pathOfUtf8(m_copyPath), ignored);
    }

private:
    void writePoints(Workbook& book) {
        lxw_worksheet* sheet = book.addSheet("Points");
        const auto rows = static_cast<lxw_row_t>(m_copy.rowsWritten());
        const auto lastColumn = static_cast<lxw_col_t>(m_widestRow);
        worksheet_set_column(sheet, 0, 0, kSectionColumnWidth, nullptr);
        worksheet_set_column(sheet, 1, std::max<lxw_col_t>(lastColumn, 1), kFieldColumnWidth,
                             nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        book.check(worksheet_autofilter(sheet, 0, 0, rows, lastColumn));
        writeText(book, sheet, 0, 0, "Section", book.boldFormat());
        for (lxw_col_t column = 1; column <= lastColumn; ++column) {
            writeText(book, sheet, 0, column, "Field " + std::to_string(column), book.boldFormat());
        }
        RowsCopyReader reader(m_files, m_copyPath);
        lxw_row_t row = 1;
        for (std::optional<std::string> line = reader.nextLine(); line;
             line = reader.nextLine(), ++row) {
            const Section section = row <= m_statisticsRows ? Section::Statistics : Section::Memory;
            writePoint(book, sheet, row, section, *line);
        }
    }

    FileTable& m_files;
    std::string m_path;
    std::string m_copyPath;
    PointsFile m_copy;
    lxw_row_t m_statisticsRows = 0;
    std::size_t m_widestRow = 0;
};

}  // namespace

std::string workbookRowsCopyName(const std::string& workbookPath) {
    return workbookPath + ".rows.txt";
}

std::unique_ptr<RowSink> openWorkbookSink(FileTable& files, const std::string& path,
                                          const SummaryChoices& /*summary*/) {
    return std::make_unique<WorkbookSink>(files, path);
}

}  // namespace pointsfile
