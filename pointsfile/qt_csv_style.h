#pragma once

#include "pointsfile/csv_form.h"

class QLocale;

namespace pointsfile {

// How a spreadsheet of the locale reads CSV: the locale's decimal mark decides.
CsvStyle csvStyleOfLocale(const QLocale& locale);

}  // namespace pointsfile
