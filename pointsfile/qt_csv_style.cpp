#include "pointsfile/qt_csv_style.h"

#include <QLocale>

namespace pointsfile {

CsvStyle csvStyleOfLocale(const QLocale& locale) {
    const QString decimalPoint = locale.decimalPoint();
    return csvStyleForDecimalMark(decimalPoint == QStringLiteral(",") ? ',' : '.');
}

}  // namespace pointsfile
