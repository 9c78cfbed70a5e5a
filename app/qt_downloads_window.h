#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "view/downloads_browser.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QThread;

namespace app {

// The Download History dialog's "Downloads" window: the downloads of a characteristic newest first,
// sortable by any column, the trend workbook of the characteristic and any download's file made
// again. What it shows and does comes from the core's browser; its status line says what was
// written or what went wrong. The history is read and written from beside the window, which goes on
// answering: a plant database may take seconds to answer, or to fail.
class DownloadsWindow : public QDialog {
    Q_OBJECT

public:
    DownloadsWindow(view::DownloadsBrowser& browser, QWidget* parent);
    // Waits for the work under way: libpq's connect timeout bounds it.
    ~DownloadsWindow() override;

    // The history is in use beside the window; the list and the buttons wait for it.
    bool busy() const { return m_working != nullptr; }

private:
    struct Work;

    // Runs the core's work beside the window, the status line saying what it does until it shows
    // what came of it.
    void beside(const QString& doing, std::function<void(Work&)> work);
    void showWork(const Work& work);
    // The chosen characteristic's downloads, and the characteristics first when asked.
    void read(bool characteristicsToo);
    void enableControls();
    void writeTrendWorkbook();
    void savePoints();
    std::string selectedUid() const;
    // An exception never leaves a slot: its text goes to the status line.
    void guarded(const std::function<void()>& action);

    view::DownloadsBrowser& m_browser;
    QComboBox* m_characteristic = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_trend = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<QThread> m_working;
};

}  // namespace app
