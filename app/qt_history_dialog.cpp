#include "app/qt_history_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <string>

#include "app/qt_downloads_window.h"
#include "app/qt_name_only_icon_provider.h"
#include "app/qt_output_label.h"

namespace app {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A field and its caption, which is also what a screen reader calls it.
QLineEdit* addField(QFormLayout* form, QWidget* parent, const QString& caption,
                    const char* objectName, QWidget* beside = nullptr) {
    auto* label = new QLabel(caption, parent);
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    label->setBuddy(field);
    field->setAccessibleName(caption);
    if (beside == nullptr) {
        form->addRow(label, field);
    } else {
        auto* row = new QHBoxLayout;
        row->addWidget(field, 1);
        row->addWidget(beside);
        form->addRow(label, row);
    }
    return field;
}

}  // namespace

HistoryDialog::HistoryDialog(const history::HistoryChoices& current,
                             view::HistoryDialogActions& actions, QWidget* parent)
    : QDialog(parent), m_actions(actions) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("Download History"));

    m_keep = new QCheckBox(QStringLiteral("Keep a history of downloads"), this);
    m_keep->setObjectName(QStringLiteral("chkKeepHistory"));
    m_keep->setChecked(current.keep);

    auto* form = new QFormLayout;
    m_browse = new QPushButton(QStringLiteral("Browse..."), this);
    m_browse->setObjectName(QStringLiteral("cmdBrowseHistory"));
    m_file = addField(form, this, QStringLiteral("History file:"), "txtHistoryFile", m_browse);
    m_file->setText(fromUtf8(current.file));
    // Empty is the default place, which the state below names.
    m_file->setPlaceholderText(QStringLiteral("the default place"));
    m_test = new QPushButton(QStringLiteral("Test Connection"), this);
    m_test->setObjectName(QStringLiteral("cmdTestConnection"));
    m_database =
        addField(form, this, QStringLiteral("Plant database:"), "txtPlantDatabase", m_test);
    m_database->setText(fromUtf8(current.database));
    m_database->setPlaceholderText(QStringLiteral("none"));

    // Its accessible name is the state shown, read out as it changes.
    m_state = new OutputLabel(this, QStringLiteral("State of the history"));
    m_state->setObjectName(QStringLiteral("lblHistoryState"));
    m_state->setFrameStyle(QFrame::NoFrame);
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* show =
        buttons->addButton(QStringLiteral("Show Downloads..."), QDialogButtonBox::ActionRole);
    show->setObjectName(QStringLiteral("cmdShowDownloads"));
    connect(show, &QPushButton::clicked, this, &HistoryDialog::showDownloads);
    connect(buttons, &QDialogButtonBox::accepted, this, &HistoryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HistoryDialog::reject);
    connect(m_keep, &QCheckBox::toggled, this, &HistoryDialog::showState);
    connect(m_file, &QLineEdit::editingFinished, this, &HistoryDialog::showState);
    connect(m_database, &QLineEdit::editingFinished, this, &HistoryDialog::showState);
    connect(m_browse, &QPushButton::clicked, this, &HistoryDialog::browse);
    connect(m_test, &QPushButton::clicked, this, &HistoryDialog::testConnection);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_keep);
    layout->addLayout(form);
    layout->addWidget(m_state);
    layout->addWidget(buttons);
    setMinimumWidth(520);
    showState();
}

HistoryDialog::~HistoryDialog() {
    if (m_testing) {
        m_testing->wait();
    }
}

history::HistoryChoices HistoryDialog::choices() const {
    return {m_keep->isChecked(), m_file->text().trimmed().toStdString(),
            m_database->text().trimmed().toStdString()};
}

void HistoryDialog::showState() {
    const history::HistoryChoices chosen = choices();
    m_file->setEnabled(chosen.keep);
    m_browse->setEnabled(chosen.keep);
    m_database->setEnabled(chosen.keep);
    m_test->setEnabled(chosen.keep && !m_testing);
    m_state->setText(fromUtf8(m_actions.stateOf(chosen)));
}

void HistoryDialog::browse() {
    QFileDialog dialog(this, QStringLiteral("History file"));
    dialog.setObjectName(QStringLiteral("HistoryFileDialog"));
    prepareFileDialog(dialog);
    // An existing history is chosen to be written on, never replaced.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters({QStringLiteral("History (*.sqlite)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("sqlite"));
    if (!m_file->text().isEmpty()) {
        dialog.selectFile(m_file->text());
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_file->setText(dialog.selectedFiles().constFirst());
        showState();
    }
}

void HistoryDialog::testConnection() {
    const std::string database = m_database->text().trimmed().toStdString();
    if (database.empty()) {
        m_state->setText(QStringLiteral("Name a plant database to test."));
        return;
    }
    if (const std::string refusal = m_actions.refusalOf(choices()); !refusal.empty()) {
        m_state->setText(fromUtf8(refusal));
        return;
    }
    m_test->setEnabled(false);
    m_state->setText(QStringLiteral("Connecting to the plant database..."));
    // The connection may take seconds: it runs beside the window, which goes on answering.
    auto result = std::make_shared<std::string>();
    m_testing.reset(QThread::create(
        [this, database, result] { *result = m_actions.testConnection(database); }));
    connect(m_testing.get(), &QThread::finished, this, [this, result] {
        // Deleted once its signal is delivered, not inside it.
        m_testing.release()->deleteLater();
        m_test->setEnabled(m_keep->isChecked());
        m_state->setText(fromUtf8(*result));
    });
    m_testing->start();
}

// The downloads of the history the dialog names now, taken or not.
void HistoryDialog::showDownloads() {
    const std::unique_ptr<view::DownloadsBrowser> browser = m_actions.browseDownloads(choices());
    DownloadsWindow window(*browser, this);
    window.exec();
}

void HistoryDialog::accept() {
    if (const std::string refusal = m_actions.refusalOf(choices()); !refusal.empty()) {
        m_state->setText(fromUtf8(refusal));
        m_database->setFocus();
        m_database->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace app
