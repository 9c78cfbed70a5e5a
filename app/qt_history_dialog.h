#pragma once

#include <QDialog>

#include <memory>

#include "history/history_choices.h"
#include "view/view.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace app {

// Options > Download History...: whether a history is kept, its file (empty for the default place),
// the plant database, a test of the connection, the state of the history in words, and its
// downloads in a window of their own. OK keeps
// the dialog open, saying why, while the choices cannot be taken.
class HistoryDialog : public QDialog {
    Q_OBJECT

public:
    HistoryDialog(const history::HistoryChoices& current, view::HistoryDialogActions& actions,
                  QWidget* parent);
    // Waits for a test under way: libpq's connect timeout bounds it.
    ~HistoryDialog() override;

    history::HistoryChoices choices() const;

    void accept() override;

private:
    void showState();
    void browse();
    void testConnection();
    void showDownloads();

    view::HistoryDialogActions& m_actions;
    QCheckBox* m_keep = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_database = nullptr;
    QPushButton* m_test = nullptr;
    QLabel* m_state = nullptr;
    std::unique_ptr<QThread> m_testing;
};

}  // namespace app
