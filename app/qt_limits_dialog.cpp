#include "app/qt_limits_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/qt_output_label.h"
#include "pointsfile/tolerance_limits.h"

namespace app {

namespace {

constexpr const char* kTitle = "Tolerance Limits";

struct Field {
    const char* objectName;
    // As the workbook's Summary calls it, and a refusal names it; its caption adds a colon.
    std::string_view name;
};
constexpr std::array<Field, 3> kFields{{{"txtLowerLimit", pointsfile::kLowerLimitLabel},
                                        {"txtUpperLimit", pointsfile::kUpperLimitLabel},
                                        {"txtNominal", pointsfile::kNominalLabel}}};

// The user's own mark, which QLocale() gives unless a default was set.
std::string decimalMark() {
    return QLocale().decimalPoint().toStdString();
}

}  // namespace

LimitsDialog::LimitsDialog(const pointsfile::SummaryChoices& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LimitsDialog"));
    setWindowTitle(QLatin1String(kTitle));
    auto* form = new QFormLayout;
    const auto addField = [this, form](std::string_view name, const char* objectName) {
        auto* caption =
            new QLabel(QString::fromUtf8(name.data(), qsizetype(name.size())) + u':', this);
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(objectName));
        // The field's label is what a screen reader calls it.
        caption->setBuddy(field);
        field->setAccessibleName(caption->text());
        form->addRow(caption, field);
        return field;
    };
    m_characteristic = addField(pointsfile::kCharacteristicLabel, "txtCharacteristic");
    m_characteristic->setText(QString::fromStdString(current.characteristic));
    const std::string mark = decimalMark();
    const std::array<std::optional<double>, 3> values{current.lowerLimit, current.upperLimit,
                                                      current.nominal};
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        QLineEdit* field = addField(kFields[i].name, kFields[i].objectName);
        if (values[i]) {
            field->setText(QString::fromStdString(pointsfile::limitText(*values[i], mark)));
        }
        m_fields[i] = field;
    }
    // Its accessible name is the reason shown, read out as it changes.
    m_reason = new OutputLabel(this, QStringLiteral("Why the limits are not taken"));
    m_reason->setObjectName(QStringLiteral("lblLimitsRefusal"));
    m_reason->setFrameStyle(QFrame::NoFrame);
    m_reason->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LimitsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LimitsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_reason);
    layout->addWidget(buttons);
}

void LimitsDialog::accept() {
    std::array<std::string, 3> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = m_fields[i]->text().toStdString();
    }
    const pointsfile::LimitsReading reading =
        pointsfile::readLimits({kFields[0].name, texts[0]}, {kFields[1].name, texts[1]},
                               {kFields[2].name, texts[2]}, decimalMark());
    m_reason->setText(QString::fromStdString(reading.refusal));
    if (!reading.refusal.empty()) {
        QLineEdit* refused = m_fields[static_cast<std::size_t>(reading.refusedText)];
        refused->setFocus();
        refused->selectAll();
        return;
    }
    m_limits = reading.limits;
    m_limits.characteristic = pointsfile::characteristicOf(m_characteristic->text().toStdString());
    QDialog::accept();
}

}  // namespace app
