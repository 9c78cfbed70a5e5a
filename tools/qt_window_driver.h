#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

namespace gaugesim {

// Plays the operator at the real window's dialogs: answers its file dialogs from a script, reads
// and acknowledges its message boxes. It watches for modal windows on a timer, so it also answers a
// box opened inside a handler that is still running (a click returns once its handler has ended).
class WindowDriver {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    };

    WindowDriver();

    // The next file dialog gets this path, after choosing the file type whose filter holds
    // `typePattern` ("*.xlsx") when one is given; nothing queued: the dialog is cancelled.
    void chooseFile(const QString& path, const QString& typePattern = {}) {
        m_fileAnswers.push_back({path, typePattern});
    }
    // The file types the last file dialog offered.
    const QStringList& fileTypesSeen() const { return m_fileTypesSeen; }
    // Message boxes stay open this long before the driver acknowledges them.
    void setMessageBoxDelay(int milliseconds) { m_boxDelayMs = milliseconds; }

    const std::vector<Box>& boxes() const { return m_boxes; }
    // Runs the event loop until the condition holds or the time is up; true when it held.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs);
    // Waits until `count` message boxes have been seen.
    bool waitForBoxes(std::size_t count, int timeoutMs);

private:
    void answerModal();

    struct FileAnswer {
        QString path;
        QString typePattern;
    };

    QTimer m_watch;
    std::deque<FileAnswer> m_fileAnswers;
    QStringList m_fileTypesSeen;
    std::vector<Box> m_boxes;
    int m_boxDelayMs = 0;
    // Guarded: a box that closed by itself must not be taken for a new one at its address.
    QPointer<QWidget> m_boxSeen;
    qint64 m_boxSeenAt = 0;
};

}  // namespace gaugesim
