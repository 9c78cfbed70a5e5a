#include "app/qt_downloads_window.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/qt_history_dialog.h"
#include "driver/history_dialog_actions.h"
#include "support/sample_history.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"

namespace {

enum Column { PressedAt = 0, Mean = 5, Cpk = 7, RepeatOf = 10 };

QString heard(QObject* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// The history is used beside the window: wait for it, as the operator does.
void settle(app::DownloadsWindow& window) {
    EXPECT_TRUE(gaugesim::WindowDriver::waitUntil([&window] { return !window.busy(); }, 10000));
}

template <typename Widget = QWidget>
Widget* child(QDialog& window, const char* name) {
    return window.findChild<Widget*>(QLatin1String(name));
}

// The cells of one column, top to bottom.
QString column(QDialog& window, int which) {
    QStringList cells;
    const QAbstractItemModel* model = child<QTableView>(window, "tblDownloads")->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        cells << model->index(row, which).data().toString();
    }
    return cells.join('|');
}

// The Downloads window over the sample history, opened as the operator opens it: "Show
// Downloads..." in the Download History dialog, whose actions are the core's.
class DownloadsWindowTest : public ::testing::Test {
protected:
    DownloadsWindowTest() {
        // The file dialogs remember their folder in the user's settings: keep that in the test.
        setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
        testsupport::addSampleDownloads(folder.file("history.sqlite"));
    }

    // Runs `inside` once the Downloads window has read the history, then closes it.
    void withWindow(const std::function<void(app::DownloadsWindow&)>& inside) {
        bool opened = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (auto* window =
                    qobject_cast<app::DownloadsWindow*>(QApplication::activeModalWidget())) {
                opened = true;
                settle(*window);
                inside(*window);
                window->reject();
            }
        });
        child<QPushButton>(dialog, "cmdShowDownloads")->click();
        EXPECT_TRUE(opened);
    }

    // Clicks the window's button and answers its save dialog with the file in the test's folder;
    // the name the dialog offered, or none when no dialog came.
    QString save(app::DownloadsWindow& window, const char* button, const std::string& name) {
        QString offered;
        QTimer answer;  // gone with the click's return: it never answers a later dialog
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                offered = QFileInfo(files->selectedFiles().value(0)).fileName();
                files->focusWidget()->clearFocus();  // else the field keeps the dialog's name
                files->selectFile(QString::fromStdString(folder.file(name)));
                static_cast<QDialog*>(files)->accept();
            }
        });
        answer.start(0);
        child<QPushButton>(window, button)->click();
        settle(window);
        return offered;
    }

    std::string status(QDialog& window) {
        return heard(child(window, "lblDownloadsStatus")).toStdString();
    }

    const testsupport::TempFolder folder;
    driver::HistoryDialogActions actions{folder.file(""), nullptr, {}};
    app::HistoryDialog dialog{{true, folder.file("history.sqlite"), ""}, actions, nullptr};
};

// The list and the buttons by their labels, each cell with its column heading.
TEST_F(DownloadsWindowTest, ShowDownloadsOpensTheWindowAndAScreenReaderHearsItAll) {
    withWindow([](app::DownloadsWindow& window) {
        auto* characteristic = child<QComboBox>(window, "cboCharacteristic");
        // On Linux Qt names a list by its entry shown; its caption comes as its label.
        const auto labels =
            QAccessible::queryAccessibleInterface(characteristic)->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        QStringList seen{window.windowTitle(), labels.front().first->text(QAccessible::Name)};
        for (const char* name : {"tblDownloads", "cmdTrendWorkbook", "cmdSavePoints"}) {
            seen << heard(child(window, name));
        }
        for (int index = 0; index < characteristic->count(); ++index) {
            seen << characteristic->itemText(index);
        }
        QAccessibleTableInterface* cells =
            QAccessible::queryAccessibleInterface(child(window, "tblDownloads"))->tableInterface();
        for (const auto& [row, column] :
             {std::pair{0, PressedAt}, {0, Mean}, {1, Cpk}, {0, RepeatOf}}) {
            QAccessibleInterface* cell = cells->cellAt(row, column);
            for (QAccessibleInterface* heading : cell->tableCellInterface()->columnHeaderCells()) {
                // Qt hands a header cell over unregistered; registered, as a screen reader's
                // bridge registers it, Qt's cache keeps it rather than leave it leaked.
                QAccessible::uniqueId(heading);
                seen << heading->text(QAccessible::Name) + ": " + cell->text(QAccessible::Name);
            }
        }
        EXPECT_EQ(seen.join('|'),
                  QStringLiteral("Downloads|Characteristic:|Downloads|Trend Workbook...|Save "
                                 "Points As...|All|Bore 12H7|Shaft 8g6|Pressed at: "
                                 "2026-12-07T10:00:00+01:00|Mean: 12.00300|Cpk: -|Repeat of: u1"));
    });
}

// Another characteristic is read beside the window, which says so and waits for it.
TEST_F(DownloadsWindowTest, AnotherCharacteristicIsReadBesideTheWindow) {
    withWindow([](app::DownloadsWindow& window) {
        auto* characteristic = child<QComboBox>(window, "cboCharacteristic");
        characteristic->setCurrentIndex(2);
        EXPECT_EQ(heard(child(window, "lblDownloadsStatus")),
                  QStringLiteral("Reading the history..."));
        EXPECT_FALSE(characteristic->isEnabled());
        settle(window);
        EXPECT_EQ(column(window, PressedAt), QStringLiteral("2026-12-07T09:00:00+01:00"));
    });
}

// A mean of 7.992 sorts before 12.003, as text it would not; a Cpk that cannot be computed
// sorts after every number.
TEST_F(DownloadsWindowTest, NumbersSortAsNumbersAndFiguresThatCannotBeComputedLast) {
    withWindow([](app::DownloadsWindow& window) {
        auto* table = child<QTableView>(window, "tblDownloads");
        table->sortByColumn(Mean, Qt::AscendingOrder);
        EXPECT_EQ(column(window, Mean), QStringLiteral("7.99200|12.00300|12.00300"));
        table->sortByColumn(Cpk, Qt::AscendingOrder);
        EXPECT_EQ(column(window, Cpk), QStringLiteral("0.19|0.19|-"));
    });
}

TEST_F(DownloadsWindowTest, TheSaveActionsWriteWhereTheOperatorAnswers) {
    withWindow([this](app::DownloadsWindow& window) {
        EXPECT_FALSE(child(window, "cmdSavePoints")->isEnabled());
        child<QTableView>(window, "tblDownloads")->selectRow(1);
        EXPECT_EQ(save(window, "cmdSavePoints", "again.csv"), QStringLiteral("shaft.txt"));
        EXPECT_EQ(status(window),
                  "The download pressed at 2026-12-07T09:00:00+01:00 made again in " +
                      folder.file("again.csv"));
        // "All" over two characteristics asks for no name.
        EXPECT_EQ(save(window, "cmdTrendWorkbook", "all.xlsx"), QString());
        EXPECT_EQ(status(window).find("The downloads listed hold 2"), 0u);
        child<QComboBox>(window, "cboCharacteristic")->setCurrentIndex(1);
        settle(window);
        EXPECT_EQ(save(window, "cmdTrendWorkbook", "bore.xlsx"),
                  QStringLiteral("Bore 12H7 trend.xlsx"));
        EXPECT_EQ(status(window).find("Trend workbook of 2 downloads"), 0u);
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "bore.xlsx"));
    });
}

}  // namespace
