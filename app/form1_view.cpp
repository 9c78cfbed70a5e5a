#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

#include "app/qt_display_text.h"
#include "app/qt_history_dialog.h"
#include "app/qt_limits_dialog.h"
#include "app/qt_name_only_icon_provider.h"
#include "app/qt_save_dialog.h"
#include "driver/window_texts.h"
#include "view/view_error.h"

namespace app {

namespace {

QString fromLatin1(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The core keeps paths as UTF-8, in the system's own separators.
std::string toCorePath(const QString& path) {
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
}

}  // namespace

QLabel* Form1::label(view::Label which) const {
    switch (which) {
        case view::Label::lblPortConfigured:
            return lblPortConfigured;
        case view::Label::lblDebug:
            return lblDebug;
        case view::Label::lblPointsToTransfer:
            return lblPointsToTransfer;
        case view::Label::lblPointsCollected:
            return lblPointsCollected;
        case view::Label::lblEndResult:
            return lblEndResult;
    }
    return lblEndResult;
}

QCheckBox* Form1::checkBox(view::CheckBox which) const {
    switch (which) {
        case view::CheckBox::chkIncludeStatistics:
            return chkIncludeStatistics;
        case view::CheckBox::chkIncludeDeletedItem:
            return chkIncludeDeletedItem;
        case view::CheckBox::CheckUseSpaceDelimiters:
            return CheckUseSpaceDelimiters;
    }
    return CheckUseSpaceDelimiters;
}

QComboBox* Form1::list(view::List which) const {
    return which == view::List::Combo1 ? Combo1 : Combo2;
}

QTimer* Form1::timer(view::Timer which) const {
    switch (which) {
        case view::Timer::timerCheckData:
            return timerCheckData;
        case view::Timer::tmrCheckTimeout:
            return tmrCheckTimeout;
        case view::Timer::tmrVersion:
            return tmrVersion;
        case view::Timer::tmrReplyGap:
            return tmrReplyGap;
    }
    return tmrVersion;
}

void Form1::setLabelText(view::Label which, std::string_view text) {
    label(which)->setText(labelText(text));
}

// The tool tip for the mouse, the description for a screen reader, which reads it after the text.
// Without a detail the description is the caption above the label again, as it was at the start.
void Form1::setLabelDetail(view::Label which, std::string_view detail) {
    QLabel* shown = label(which);
    static constexpr char kCaption[] = "captionDescription";
    if (!shown->property(kCaption).isValid()) {
        shown->setProperty(kCaption, shown->accessibleDescription());
    }
    const QString text = QString::fromUtf8(detail.data(), static_cast<qsizetype>(detail.size()));
    shown->setToolTip(text);
    shown->setAccessibleDescription(text.isEmpty() ? shown->property(kCaption).toString() : text);
}

// Qt numbers the states 0 clear, 1 partly, 2 ticked; the window's values are 0, 1 ticked, 2 greyed.
std::int16_t Form1::checkBoxValue(view::CheckBox which) const {
    switch (checkBox(which)->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

void Form1::setCheckBoxValue(view::CheckBox which, std::int16_t value) {
    QCheckBox* box = checkBox(which);
    switch (value) {
        case 0:
        case 1:
            box->setTristate(false);
            box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
            return;
        case 2:
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
            return;
        default:
            throw view::RefusedValue(view::controlName(which), value);
    }
}

void Form1::addListEntry(view::List which, std::string_view text) {
    list(which)->addItem(fromLatin1(text));
}

void Form1::selectListEntry(view::List which, std::int16_t index) {
    QComboBox* combo = list(which);
    if (index < -1 || index >= combo->count()) {
        throw view::RefusedValue(view::controlName(which), index);
    }
    combo->setCurrentIndex(index);
}

std::int16_t Form1::selectedListIndex(view::List which) const {
    return static_cast<std::int16_t>(list(which)->currentIndex());
}

void Form1::setProgressRange(int upper, int lower) {
    if (upper < lower) {
        throw view::RefusedValue("ProgressBar1", upper);
    }
    // QProgressBar empties itself when its value falls outside a new range; keep it inside.
    const int position = std::clamp(ProgressBar1->value(), lower, upper);
    ProgressBar1->setRange(lower, upper);
    ProgressBar1->setValue(position);
}

void Form1::setProgressPosition(int position) {
    if (position < ProgressBar1->minimum() || position > ProgressBar1->maximum()) {
        throw view::RefusedValue("ProgressBar1", position);
    }
    ProgressBar1->setValue(position);
}

void Form1::setTimerPeriod(view::Timer which, int milliseconds) {
    if (milliseconds <= 0) {
        throw view::RefusedValue(view::controlName(which), milliseconds);
    }
    timer(which)->setInterval(milliseconds);
}

void Form1::setTimerRunning(view::Timer which, bool running) {
    QTimer* qtimer = timer(which);
    if (!running) {
        qtimer->stop();
        return;
    }
    // A timer given no period would fire as fast as the event loop turns.
    if (qtimer->interval() <= 0) {
        throw view::RefusedValue(view::controlName(which), qtimer->interval());
    }
    qtimer->start();
}

void Form1::setMenuChecked(view::Menu menu, bool checked) {
    (menu == view::Menu::LineSpeedMenu ? LineSpeedMenu : DateTimeNameMenu)->setChecked(checked);
}

void Form1::showMessageBox(std::string_view text, view::MessageIcon icon) {
    QMessageBox box(this);
    box.setWindowTitle(fromLatin1(driver::kApplicationTitle));
    box.setTextFormat(Qt::PlainText);
    box.setText(messageText(text));
    box.setIcon(icon == view::MessageIcon::Exclamation ? QMessageBox::Warning
                                                       : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::optional<std::string> Form1::askSaveFileName(view::SaveDialog which,
                                                  const view::SaveDialogRequest& request) {
    return askSaveFile(this, fromLatin1(view::controlName(which)), request);
}

std::optional<std::string> Form1::askOpenFileName(const view::OpenDialogRequest& request) {
    QFileDialog dialog(this, fromLatin1(request.title));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    prepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (const QStringList filters = nameFilters(request.filter); !filters.isEmpty()) {
        dialog.setNameFilters(filters);
    }
    return chosenFile(dialog);
}

std::optional<pointsfile::SummaryChoices> Form1::askToleranceLimits(
    const pointsfile::SummaryChoices& current) {
    LimitsDialog dialog(current, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.limits();
}

std::optional<history::HistoryChoices> Form1::askHistoryChoices(
    const history::HistoryChoices& current, view::HistoryDialogActions& actions) {
    HistoryDialog dialog(current, actions, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choices();
}

std::string Form1::programFolder() const {
    if (m_programFolder) {
        return *m_programFolder;
    }
    return toCorePath(QCoreApplication::applicationDirPath());
}

}  // namespace app
