#include "workbook/workbook_summary_cells.h"

namespace workbook::summary_layout {

namespace {

constexpr lxw_color_t kInputFill = 0xFFCC99;
constexpr lxw_color_t kInputFont = 0x3F3F76;
constexpr lxw_color_t kInputBorder = 0x7F7F7F;
constexpr lxw_color_t kHintFont = 0x595959;

// A figure's look: its number pattern, and right-aligned, so that the text of a figure that cannot
// be computed lines up with the numbers.
lxw_format* figureFormat(Workbook& book, const std::string& pattern) {
    lxw_format* const format = book.addFormat();
    format_set_num_format(format, pattern.c_str());
    format_set_align(format, LXW_ALIGN_RIGHT);
    return format;
}

}  // namespace

std::string cell(lxw_row_t row, lxw_col_t column, bool fixedRow, bool fixedColumn) {
    char name[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell_abs(name, row, column, fixedRow, fixedColumn);
    return name;
}

std::string relativeCell(lxw_row_t row, lxw_col_t column) {
    return cell(row, column, false, false);
}

std::string range(lxw_row_t firstRow, lxw_col_t column, lxw_row_t lastRow) {
    return cell(firstRow, column) + ":" + cell(lastRow, column);
}

SummaryCells::SummaryCells(Workbook& book, lxw_worksheet* sheet, int decimals)
    : fine(figureFormat(book, Workbook::decimalsPattern(decimals + 2))),
      asSent(figureFormat(book, Workbook::decimalsPattern(decimals))),
      ratio(figureFormat(book, Workbook::decimalsPattern(2))),
      count(figureFormat(book, Workbook::decimalsPattern(0))),
      share(figureFormat(book, "0.00%")),
      title(book.addFormat()),
      hint(book.addFormat()),
      m_book(book),
      m_sheet(sheet),
      m_input(book.addFormat()) {
    format_set_bold(title);
    format_set_font_size(title, 14);
    format_set_italic(hint);
    format_set_font_color(hint, kHintFont);
    format_set_bg_color(m_input, kInputFill);
    format_set_font_color(m_input, kInputFont);
    format_set_border(m_input, LXW_BORDER_THIN);
    format_set_border_color(m_input, kInputBorder);
}

void SummaryCells::text(lxw_row_t row, lxw_col_t column, std::string_view text,
                        lxw_format* format) {
    m_book.writeText(m_sheet, row, column, text, format);
}

void SummaryCells::utf8Text(lxw_row_t row, lxw_col_t column, std::string_view text,
                            lxw_format* format) {
    m_book.writeUtf8Text(m_sheet, row, column, text, format);
}

void SummaryCells::number(lxw_row_t row, lxw_col_t column, double value) {
    m_book.writeNumber(m_sheet, row, column, value);
}

void SummaryCells::formula(lxw_row_t row, lxw_col_t column, const std::string& formula,
                           const pointsfile::Figure& result, lxw_format* format) {
    const std::string written = "=" + formula;
    m_book.check(result.value
                     ? worksheet_write_formula_num(m_sheet, row, column, written.c_str(), format,
                                                   *result.value)
                     : worksheet_write_formula_str(m_sheet, row, column, written.c_str(), format,
                                                   std::string(result.whyNot).c_str()));
}

void SummaryCells::input(lxw_row_t row, std::string_view label, std::optional<double> value,
                         std::string_view follows) {
    text(row, kLabelColumn, label);
    if (value) {
        m_book.writeNumber(m_sheet, row, kFigureColumn, *value, m_input);
    } else {
        m_book.check(worksheet_write_blank(m_sheet, row, kFigureColumn, m_input));
    }
    std::string name(label);
    std::string message = "A number, or empty for none. ";
    message.append(follows);
    std::string refusal = "Type a number, or leave the cell empty.";
    lxw_data_validation numbers{};
    numbers.validate = LXW_VALIDATION_TYPE_DECIMAL;
    numbers.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
    numbers.minimum_number = -1e300;
    numbers.maximum_number = 1e300;
    numbers.input_title = name.data();
    numbers.input_message = message.data();
    numbers.error_title = name.data();
    numbers.error_message = refusal.data();
    m_book.check(worksheet_data_validation_cell(m_sheet, row, kFigureColumn, &numbers));
}

}  // namespace workbook::summary_layout
