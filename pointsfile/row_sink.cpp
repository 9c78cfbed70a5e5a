#include "pointsfile/row_sink.h"

#include <algorithm>
#include <cctype>

#include "pointsfile/file_error.h"
#include "pointsfile/file_table.h"
#include "pointsfile/points_file.h"
#include "workbook/workbook_form.h"

namespace pointsfile {

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

class TextSink : public RowSink {
public:
    TextSink(FileTable& files, const std::string& path) : m_file(files) { m_file.open(path); }

    void writeRow(Section /*section*/, std::string_view /*pointLine*/,
                  std::string_view row) override {
        m_file.writeRow(row);
    }
    void close(const DownloadRecord& /*record*/) override { m_file.close(); }

private:
    PointsFile m_file;
};

class CsvSink : public RowSink {
public:
    CsvSink(FileTable& files, const std::string& path, CsvStyle style)
        : m_file(files), m_style(style) {
        m_file.open(path);
    }

    void writeRow(Section section, std::string_view pointLine, std::string_view /*row*/) override {
        std::string record = csvRecord(section, pointLine, m_style);
        if (m_file.rowsWritten() == 0) {
            record.insert(0, kUtf8ByteOrderMark);
        }
        m_file.writeRow(record);
    }
    void close(const DownloadRecord& /*record*/) override { m_file.close(); }

private:
    PointsFile m_file;
    CsvStyle m_style;
};

}  // namespace

std::string_view sectionName(Section section) {
    return section == Section::Statistics ? "Statistics" : "Memory";
}

Form formOfName(std::string_view path) {
    if (endsWithIgnoringCase(path, ".xlsx")) {
        return Form::Workbook;
    }
    if (endsWithIgnoringCase(path, ".csv")) {
        return Form::Csv;
    }
    return Form::Text;
}

std::unique_ptr<RowSink> openRowSink(FileTable& files, const std::string& path,
                                     const OutputChoices& choices) {
    switch (choices.form.value_or(formOfName(path))) {
        case Form::Workbook:
            if (path == kStandardOutputName) {
                throw FileError(path, "a workbook cannot be written to standard output",
                                "open for writing");
            }
            return workbook::openWorkbookSink(files, path, choices.summary);
        case Form::Csv:
            return std::make_unique<CsvSink>(files, path, choices.csv);
        case Form::Text:
            break;
    }
    return std::make_unique<TextSink>(files, path);
}

}  // namespace pointsfile
