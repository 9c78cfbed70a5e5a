#include "pointsfile/csv_form.h"

#include <algorithm>

#include "pointsfile/fields.h"

namespace pointsfile {

namespace {

std::string csvField(std::string_view field, CsvStyle style) {
    std::string text = latin1ToUtf8(field);
    if (decimalPlaces(field)) {
        std::replace(text.begin(), text.end(), '.', style.decimalMark);
    }
    if (text.find_first_of(std::string{style.separator, '"', '\r', '\n'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

}  // namespace

CsvStyle csvStyleForDecimalMark(char localeDecimalMark) {
    return localeDecimalMark == ',' ? CsvStyle{';', ','} : CsvStyle{',', '.'};
}

std::string csvRecord(Section section, std::string_view pointLine, CsvStyle style) {
    std::string record(sectionName(section));
    for (const std::string_view field : splitFields(pointLine)) {
        record += style.separator;
        record += csvField(field, style);
    }
    return record;
}

}  // namespace pointsfile
