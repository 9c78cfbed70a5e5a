#include "workbook/workbook.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "pointsfile/fields.h"
#include "pointsfile/file_error.h"
#include "pointsfile/utf8_path.h"

namespace workbook {

using pointsfile::FileError;
using pointsfile::latin1ToUtf8;
using pointsfile::pathOfUtf8;
using pointsfile::utf8OrLatin1;

void createEmptyFile(pointsfile::FileTable& files, const std::string& path) {
    const std::int16_t number = files.freeFileNumber();
    files.openForWriting(number, path);
    files.close(number);
}

Workbook::Workbook(const std::string& path) : m_path(path) {
    // The system's temporary folder is one the user may write.
    const std::filesystem::path temporaryFolder = std::filesystem::temp_directory_path();
    const std::optional<std::string> fileName = nameForCLibrary(pathOfUtf8(path));
    m_temporaryFolder = nameForCLibrary(temporaryFolder).value_or("");
    if (!fileName || m_temporaryFolder.empty()) {
        fail(
            std::string(fileName ? "the temporary folder " + temporaryFolder.string() + ": " : "") +
            "its name is outside the system's ANSI code page and it has no 8.3 short name");
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_temporaryFolder.data();
    m_workbook = workbook_new_opt(fileName->c_str(), &options);
    check(m_workbook != nullptr ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED);
}

Workbook::~Workbook() {
    if (m_workbook != nullptr) {
        workbook_close(m_workbook);
    }
}

// The library gives no sheet when it cannot make the sheet's temporary file.
lxw_worksheet* Workbook::addSheet(const char* name) {
    lxw_worksheet* sheet = workbook_add_worksheet(m_workbook, name);
    check(sheet != nullptr ? LXW_NO_ERROR : LXW_ERROR_CREATING_TMPFILE);
    return sheet;
}

lxw_chart* Workbook::addChart(std::uint8_t type) {
    lxw_chart* chart = workbook_add_chart(m_workbook, type);
    check(chart != nullptr ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED);
    return chart;
}

lxw_format* Workbook::addFormat() {
    lxw_format* format = workbook_add_format(m_workbook);
    check(format != nullptr ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED);
    return format;
}

void Workbook::defineName(const std::string& name, const std::string& formula) {
    check(workbook_define_name(m_workbook, name.c_str(), formula.c_str()));
}

lxw_format* Workbook::numberFormat(int decimals) {
    const auto index = static_cast<std::size_t>(decimals);
    if (index >= m_numberFormats.size()) {
        m_numberFormats.resize(index + 1, nullptr);
    }
    if (m_numberFormats[index] == nullptr) {
        m_numberFormats[index] = addFormat();
        format_set_num_format(m_numberFormats[index], decimalsPattern(decimals).c_str());
    }
    return m_numberFormats[index];
}

std::string Workbook::decimalsPattern(int decimals) {
    constexpr int kMostDecimals = 15;
    if (decimals <= 0) {
        return "0";
    }
    return "0." + std::string(static_cast<std::size_t>(std::min(decimals, kMostDecimals)), '0');
}

lxw_format* Workbook::boldFormat() {
    if (m_bold == nullptr) {
        m_bold = addFormat();
        format_set_bold(m_bold);
    }
    return m_bold;
}

void Workbook::writeText(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
                         std::string_view bytes, lxw_format* format) {
    check(worksheet_write_string(sheet, row, column, latin1ToUtf8(bytes).c_str(), format));
}

void Workbook::writeUtf8Text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
                             std::string_view text, lxw_format* format) {
    check(worksheet_write_string(sheet, row, column, utf8OrLatin1(text).c_str(), format));
}

void Workbook::writeNumber(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, double value,
                           lxw_format* format) {
    check(worksheet_write_number(sheet, row, column, value, format));
}

void Workbook::check(lxw_error error) const {
    if (error != LXW_NO_ERROR) {
        fail(lxw_strerror(error));
    }
}

void Workbook::close() {
    const lxw_error error = workbook_close(std::exchange(m_workbook, nullptr));
    check(error);
}

void Workbook::fail(const std::string& reason) const {
    throw FileError(m_path, reason, "write to");
}

}  // namespace workbook
