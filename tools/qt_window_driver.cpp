#include "tools/qt_window_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QListView>

namespace gaugesim {

namespace {

// Picks an existing file by clicking it in the dialog's list, as an operator does: a name typed
// into the dialog gets the default extension when it has none ("/dev/full" would become
// "/dev/full.txt"), a file picked from the list is taken as it stands.
void pickExistingFile(QFileDialog& dialog, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        return;
    }
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto* model = list != nullptr ? qobject_cast<QFileSystemModel*>(list->model()) : nullptr;
    if (model == nullptr) {
        return;
    }
    const QModelIndex index = model->index(info.absoluteFilePath());
    if (index.isValid()) {
        list->selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

// Chooses the first type whose filter holds the pattern as an operator does, through the type
// list's activation: the dialog's own selectNameFilter() does not tell the window of the choice.
bool chooseFileType(QFileDialog& dialog, const QString& pattern) {
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const int index = types != nullptr ? types->findText(pattern, Qt::MatchContains) : -1;
    if (index < 0) {
        return false;
    }
    types->setCurrentIndex(index);
    emit types->activated(index);
    emit types->textActivated(types->itemText(index));
    return true;
}

}  // namespace

WindowDriver::WindowDriver() {
    QObject::connect(&m_watch, &QTimer::timeout, [this] { answerModal(); });
    m_watch.start(5);
}

void WindowDriver::answerModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        m_fileTypesSeen = dialog->nameFilters();
        if (!m_fileAnswers.empty()) {
            const auto [answer, typePattern] = m_fileAnswers.front();
            m_fileAnswers.pop_front();
            // The type before the name: choosing a type changes the extension of the name in the
            // field.
            if (!typePattern.isEmpty() && !chooseFileType(*dialog, typePattern)) {
                dialog->reject();
                return;
            }
            // The dialog leaves the name field alone while it has the focus, as it does once
            // shown: take the focus away, or the dialog's default name would be saved instead.
            if (QWidget* focused = dialog->focusWidget()) {
                focused->clearFocus();
            }
            dialog->selectFile(answer);
            pickExistingFile(*dialog, answer);
            // The accept may ask before replacing the file. This watch does not fire again inside
            // its own slot, so a watch of the accept's own answers that box.
            QTimer replaceWatch;
            QObject::connect(&replaceWatch, &QTimer::timeout, [this] { answerModal(); });
            replaceWatch.start(5);
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
        return;
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
        return;
    }
    // The save dialog asks before replacing a file: the operator means it.
    if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
        yes->click();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (box != m_boxSeen) {
        m_boxSeen = box;
        m_boxSeenAt = now;
        m_boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    }
    if (now - m_boxSeenAt >= m_boxDelayMs) {
        m_boxSeen = nullptr;
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    }
}

bool WindowDriver::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    poll.start(5);
    loop.exec();
    return condition();
}

bool WindowDriver::waitForBoxes(std::size_t count, int timeoutMs) {
    return waitUntil([this, count] { return m_boxes.size() >= count; }, timeoutMs);
}

}  // namespace gaugesim
