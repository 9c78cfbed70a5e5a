#include "workbook/trend_downloads_sheet.h"

#include <iterator>
#include <optional>
#include <string_view>

#include "workbook/trend_layout.h"

namespace workbook {

using history::KeptDownload;
using history::TrendRow;

using namespace trend_layout;

namespace {

class DownloadsSheet {
public:
    DownloadsSheet(Workbook& book, lxw_worksheet* sheet, int decimals)
        : m_book(book),
          m_sheet(sheet),
          m_fine(book.numberFormat(decimals + 2)),
          m_asSent(book.numberFormat(decimals)),
          m_ratio(book.numberFormat(2)),
          m_count(book.numberFormat(0)) {}

    void write(const std::vector<TrendRow>& rows) {
        const char* const headings[] = {"Pressed at",
                                        "Characteristic",
                                        "Host",
                                        "Port",
                                        "Points counted",
                                        "Mean",
                                        "Standard deviation",
                                        "Average moving range",
                                        "Minimum",
                                        "Maximum",
                                        "Cpk",
                                        "Ppk",
                                        "Below LSL",
                                        "Above USL",
                                        "How it ended",
                                        "uid",
                                        "Repeat of",
                                        "Continues"};
        const double widths[] = {26, 18, 14, 10, 14, 14, 18, 20, 12,
                                 12, 8,  8,  10, 10, 60, 38, 38, 38};
        for (std::size_t i = 0; i < std::size(headings); ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            worksheet_set_column(m_sheet, column, column, widths[i], nullptr);
            m_book.writeText(m_sheet, 0, column, headings[i], m_book.boldFormat());
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
        m_book.check(worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(rows.size()),
                                          lxw_col_t(std::size(headings) - 1)));
        lxw_row_t row = 1;
        for (const TrendRow& trendRow : rows) {
            writeRow(row++, trendRow);
        }
    }

private:
    void text(lxw_row_t row, lxw_col_t column, std::string_view value) {
        if (!value.empty()) {
            m_book.writeUtf8Text(m_sheet, row, column, value);
        }
    }

    template <typename Number>
    void number(lxw_row_t row, lxw_col_t column, std::optional<Number> value, lxw_format* format) {
        if (value) {
            m_book.writeNumber(m_sheet, row, column, double(*value), format);
        }
    }

    void writeRow(lxw_row_t row, const TrendRow& trendRow) {
        const KeptDownload& d = trendRow.download;
        text(row, kPressedAtColumn, d.pressedAt);
        text(row, kCharacteristicColumn, d.characteristic.value_or(""));
        text(row, kHostColumn, d.host);
        text(row, kPortColumn, d.port);
        number(row, kCountedColumn, std::optional(d.counted), m_count);
        number(row, kMeanColumn, d.mean, m_fine);
        number(row, kDeviationColumn, d.standardDeviation, m_fine);
        number(row, kMovingRangeColumn, d.averageMovingRange, m_fine);
        number(row, kMinimumColumn, d.minimum, m_asSent);
        number(row, kMaximumColumn, d.maximum, m_asSent);
        number(row, kCpkColumn, d.cpk, m_ratio);
        number(row, kPpkColumn, d.ppk, m_ratio);
        number(row, kBelowColumn, d.belowLsl, m_count);
        number(row, kAboveColumn, d.aboveUsl, m_count);
        text(row, kEndedWithColumn, d.endedWith);
        text(row, kUidColumn, d.uid);
        text(row, kRepeatOfColumn, trendRow.repeatOf);
        text(row, kContinuesColumn, trendRow.continues);
    }

    Workbook& m_book;
    lxw_worksheet* m_sheet;
    lxw_format* m_fine;
    lxw_format* m_asSent;
    lxw_format* m_ratio;
    lxw_format* m_count;
};
}  // namespace

void writeDownloadsSheet(Workbook& book, lxw_worksheet* sheet, const std::vector<TrendRow>& rows,
                         int decimals) {
    DownloadsSheet(book, sheet, decimals).write(rows);
}

}  // namespace workbook
