#pragma once

#include <QDialog>

#include <array>

#include "pointsfile/summary_choices.h"

class QLabel;
class QLineEdit;

namespace app {

// Options > Tolerance Limits...: what is measured (free text, empty for none) and the workbook's
// starting limits as the operator types them, with the locale's decimal mark or ".", empty for
// none. OK keeps the dialog open, saying why, until the values are taken.
class LimitsDialog : public QDialog {
    Q_OBJECT

public:
    LimitsDialog(const pointsfile::SummaryChoices& current, QWidget* parent);

    // What OK took; the value field is left empty.
    const pointsfile::SummaryChoices& limits() const { return m_limits; }

    void accept() override;

private:
    QLineEdit* m_characteristic = nullptr;
    std::array<QLineEdit*, 3> m_fields{};
    QLabel* m_reason = nullptr;
    pointsfile::SummaryChoices m_limits;
};

}  // namespace app
