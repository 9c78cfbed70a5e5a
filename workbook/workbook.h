#pragma once

#include <xlsxwriter.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pointsfile/file_table.h"
#include "workbook/c_library.h"

namespace workbook {

// Creates the file or empties it, through the program's own file numbers: on Windows the library
// reaches a name outside the code page by the short name of a file that exists.
void createEmptyFile(pointsfile::FileTable& files, const std::string& path);

// One workbook being written, for the workbook form's files alone: the one place besides them that
// knows libxlsxwriter. Whatever the library refuses throws FileError naming the workbook.
class Workbook {
public:
    // Rows are written straight to temporary files, so memory stays flat however many points the
    // gauge holds; each sheet takes its rows in ascending order only. The workbook's file exists
    // already, made empty by the sink.
    explicit Workbook(const std::string& path);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // The sheets in the order their tabs show.
    lxw_worksheet* addSheet(const char* name);
    lxw_chart* addChart(std::uint8_t type);
    lxw_format* addFormat();
    void defineName(const std::string& name, const std::string& formula);

    // "0", "0.0", "0.00" ...: a number shows the decimals the gauge sent. No more than 15: a
    // spreadsheet's number holds no more digits than that.
    lxw_format* numberFormat(int decimals);
    static std::string decimalsPattern(int decimals);
    lxw_format* boldFormat();

    // The gauge's bytes, each a Latin-1 character.
    void writeText(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, std::string_view bytes,
                   lxw_format* format = nullptr);
    // The program's own text: a path, an end message, a name the user typed (UTF-8).
    void writeUtf8Text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, std::string_view text,
                       lxw_format* format = nullptr);
    void writeNumber(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, double value,
                     lxw_format* format = nullptr);

    void check(lxw_error error) const;
    void close();

private:
    [[noreturn]] void fail(const std::string& reason) const;

    // libxlsxwriter prints numbers with snprintf.
    CNumericLocale m_numbersInC;
    std::string m_path;
    std::string m_temporaryFolder;
    lxw_workbook* m_workbook = nullptr;
    std::vector<lxw_format*> m_numberFormats;
    lxw_format* m_bold = nullptr;
};

}  // namespace workbook
