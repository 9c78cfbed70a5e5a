#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"
#include "view/view_error.h"

namespace {

using view::CheckBox;
using view::List;
using view::Timer;

// A control as the window places it, in twips inside its container ("" for the client area).
struct Placed {
    const char* name;
    const char* container;
    const char* caption;
    int left, top, width, height;
};

constexpr Placed kPlaced[] = {
    {"Frame1", "", "Connection", 360, 360, 2655, 2175},
    {"Label4", "Frame1", "Com Port Selection:", 480, 360, 1605, 255},
    {"Combo1", "Frame1", "", 480, 600, 1695, 315},
    {"Label5", "Frame1", "Baud Rate Selection:", 480, 1080, 1605, 255},
    {"Combo2", "Frame1", "", 480, 1320, 1695, 315},
    {"cmdSetNewBaudRate", "", "Set New Baud Rate", 3960, 1080, 1815, 375},
    {"lblPortConfigured", "", "", 3960, 1680, 1815, 255},
    {"Frame2", "", "Save File Includes", 7200, 360, 4215, 2055},
    {"chkIncludeStatistics", "Frame2", "Include Statistics", 360, 360, 1935, 375},
    {"chkIncludeDeletedItem", "Frame2", "Include Deletes", 360, 840, 1455, 375},
    {"CheckUseSpaceDelimiters", "Frame2", "Use Space Delimiters (else use Tab)", 360, 1320, 3015,
     255},
    {"cmdExit", "", "Exit", 10320, 3120, 1095, 375},
    {"cmdGetVersion", "", "Get Version", 3120, 3600, 1455, 495},
    {"lblDebug", "", "", 4920, 3600, 2655, 495},
    {"cmdHelp", "", "Help", 10320, 3720, 1095, 375},
    {"Frame3", "", "Details", 360, 4680, 11655, 3975},
    {"Label1", "Frame3", "Points to collect", 480, 360, 1455, 255},
    {"lblPointsToTransfer", "Frame3", "", 480, 720, 1575, 255},
    {"Label2", "Frame3", "Points Collected", 480, 1200, 1455, 255},
    {"lblPointsCollected", "Frame3", "", 480, 1560, 1575, 255},
    {"cmdGetMemoryPoints", "Frame3", "Memory Points To File", 6240, 1680, 2055, 615},
    {"Label3", "Frame3", "Data Written to file", 480, 2160, 1815, 255},
    {"lblEndResult", "Frame3", "", 480, 2520, 3015, 255},
    {"ProgressBar1", "Frame3", "", 480, 3120, 10815, 375},
};

QString captionOf(const QWidget* widget) {
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) {
        return frame->title();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label != nullptr ? label->text() : QString();
}

// What a screen reader reads of a control.
QString heard(QWidget* control, QAccessible::Text what = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(control)->text(what);
}

// The window on the fake port, without its load unless a test runs it.
class Form1Test : public ::testing::Test {
protected:
    Form1Test() { window.setProgramFolder(folder.path().string()); }

    QWidget* control(const char* name) const {
        return window.findChild<QWidget*>(QLatin1String(name));
    }

    // Acts on the next modal dialog or box from inside its own event loop, as an operator would.
    // The watch ends with the test, so it never acts on a later test's box.
    void whenModalShows(std::function<void(QWidget*)> act) {
        QTimer::singleShot(5, &m_watch, [this, act = std::move(act)]() mutable {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                act(modal);
            } else {
                whenModalShows(std::move(act));
            }
        });
    }

    testsupport::TempFolder folder;
    testsupport::FakePort port{gaugesim::GaugeConfig{}};
    pointsfile::FileTable files;
    app::Form1 window{port, files};
    QObject m_watch;
};

TEST_F(Form1Test, EveryControlSitsInItsContainerWithItsCaptionAndPlace) {
    const double perTwip = window.scale() / 15.0;
    const double smaller = (window.scale() - 0.01) / 15.0;
    bool tightAtSmaller = false;
    for (const Placed& placed : kPlaced) {
        SCOPED_TRACE(placed.name);
        QWidget* widget = control(placed.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(),
                  *placed.container != '\0' ? control(placed.container) : window.centralWidget());
        EXPECT_EQ(captionOf(widget), QLatin1String(placed.caption));
        // Every place and size is the same multiple of its twips, rounded to the pixel.
        EXPECT_NEAR(widget->x(), placed.left * perTwip, 0.5);
        EXPECT_NEAR(widget->y(), placed.top * perTwip, 0.5);
        EXPECT_NEAR(widget->width(), placed.width * perTwip, 0.5);
        EXPECT_NEAR(widget->height(), placed.height * perTwip, 0.5);
        // A caption shows whole, and at the next smaller scale one at least would not.
        const QSize hint = widget->sizeHint().expandedTo(widget->minimumSizeHint());
        if (*placed.caption != '\0') {
            EXPECT_LE(hint.width(), widget->width());
            EXPECT_LE(hint.height(), widget->height());
            tightAtSmaller = tightAtSmaller || hint.width() > std::lround(placed.width * smaller) ||
                             hint.height() > std::lround(placed.height * smaller);
        }
    }
    EXPECT_TRUE(window.scale() == 1.0 || tightAtSmaller) << "a smaller scale would do";
    EXPECT_NEAR(window.centralWidget()->width(), 12480 * perTwip, 0.5);
    EXPECT_NEAR(window.centralWidget()->height(), 8625 * perTwip, 0.5);
    EXPECT_FALSE(window.Combo1->isEditable() || window.Combo2->isEditable());
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(Form1Test, TitleMenuAndPreciseTimers) {
    EXPECT_EQ(window.windowTitle(),
              QStringLiteral("Harlund Instruments QORB Memory to File (V1.02  02/23/2018)"));
    QStringList menu;
    for (const QAction* entry : window.menuBar()->actions() + window.FileMenu->actions()) {
        menu << (entry->menu() != nullptr ? entry->menu()->objectName() : entry->objectName()) +
                    ' ' + entry->text() + ' ' + entry->shortcut().toString();
    }
    EXPECT_EQ(menu.join(", ").toStdString(),
              "FileMenu File , InfoMenu Info , OpenMenu &Open "
              "Ctrl+O, SaveMenu &Save Ctrl+S, ExitMenu E&xit Ctrl+X");
    EXPECT_EQ(window.InfoMenu->menu(), nullptr);
    // A coarse timer may fire 5 % early, which would cut the 4 s watchdog short.
    for (const QTimer* timer : {window.timerCheckData, window.tmrCheckTimeout, window.tmrVersion}) {
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
        EXPECT_FALSE(timer->isActive());
    }
}

TEST_F(Form1Test, ScreenReadersHearWhatEachOutputLabelShowsWithTheCaptionAboveIt) {
    const std::tuple<const char*, const char*, const char*> outputs[] = {
        {"lblPortConfigured", "Port status", nullptr},
        {"lblDebug", "Gauge version", nullptr},
        {"lblPointsToTransfer", "Points to collect", "Label1"},
        {"lblPointsCollected", "Points Collected", "Label2"},
        {"lblEndResult", "Data Written to file", "Label3"},
    };
    for (const auto& [name, description, caption] : outputs) {
        SCOPED_TRACE(name);
        auto* output = qobject_cast<QLabel*>(control(name));
        // Empty reads empty, not as the caption or the frame around it.
        EXPECT_EQ(heard(output), QString());
        EXPECT_EQ(heard(output, QAccessible::Description), QLatin1String(description));
        if (caption != nullptr) {
            const auto labels = QAccessible::queryAccessibleInterface(output)->relations();
            EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const auto& relation) {
                return relation.first->object() == control(caption) &&
                       relation.second == QAccessible::Label;
            }));
        }
        // Framed apart from the captions; a long text shows its beginning.
        EXPECT_NE(output->frameShape(), window.Label1->frameShape());
        EXPECT_FALSE(output->wordWrap());
        EXPECT_EQ(output->alignment(), Qt::AlignLeft | Qt::AlignTop);
    }
    // Captions, lists, buttons, check boxes and frames keep their names.
    for (const char* name : {"Label2", "cmdGetVersion", "CheckUseSpaceDelimiters", "Frame3"}) {
        EXPECT_EQ(heard(control(name)), captionOf(control(name))) << name;
    }
    EXPECT_EQ(heard(window.Combo1), QStringLiteral("Com Port Selection:"));
    port.setPortExists(false);
    window.load();
    EXPECT_EQ(heard(window.lblPortConfigured), QStringLiteral("Invalid port"));
}

TEST_F(Form1Test, TabVisitsTheControlsInTheirOrderFromTheFirstFocusOnCombo1) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil(
        [] { return QApplication::focusWidget() != nullptr; }, 2000));
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 10; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited.join(' '),
              QStringLiteral("Combo1 Combo2 cmdExit cmdSetNewBaudRate cmdGetMemoryPoints cmdHelp "
                             "cmdGetVersion chkIncludeDeletedItem chkIncludeStatistics "
                             "CheckUseSpaceDelimiters Combo1"));
}

TEST_F(Form1Test, ControlsRefuseValuesTheyCannotTakeAndKeepTheirOwn) {
    window.load();
    const std::function<void()> refused[] = {
        [&] { window.setCheckBoxValue(CheckBox::chkIncludeStatistics, 3); },
        [&] { window.setCheckBoxValue(CheckBox::chkIncludeDeletedItem, -1); },
        [&] { window.selectListEntry(List::Combo1, -2); },
        [&] { window.selectListEntry(List::Combo2, 6); },
        [&] { window.setTimerPeriod(Timer::tmrVersion, 0); },
        [&] { window.setTimerRunning(Timer::tmrCheckTimeout, true); },  // no period yet
        [&] { window.setProgressRange(4, 5); },
        [&] { window.setProgressPosition(101); },
        [&] { window.setProgressPosition(-1); },
    };
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_THROW(refused[i](), view::RefusedValue) << i;
    }
    EXPECT_EQ(window.selectedListIndex(List::Combo2), 3);
    EXPECT_FALSE(window.tmrCheckTimeout->isActive());
    window.setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 2);
    EXPECT_EQ(window.checkBoxValue(CheckBox::CheckUseSpaceDelimiters), 2);
    // A range that leaves the position outside takes the position along.
    window.setProgressPosition(60);
    window.setProgressRange(25, 0);
    EXPECT_EQ(window.ProgressBar1->value(), 25);
    window.setProgressRange(40, 30);
    EXPECT_EQ(window.ProgressBar1->value(), 30);
}

TEST_F(Form1Test, BoxesCarryTheTitleAndOkAloneAndAnUncaughtFailureBecomesOne) {
    gaugesim::WindowDriver driver(window);
    window.cmdHelp->click();
    window.InfoMenu->trigger();
    window.load();
    port.unplug();
    window.cmdGetVersion->click();
    ASSERT_EQ(driver.boxes().size(), 3u);
    for (const gaugesim::WindowDriver::Box& box : driver.boxes()) {
        EXPECT_EQ(box.title, QStringLiteral("QORB Memory to File"));
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
    // CR LF shows as a plain line break.
    EXPECT_EQ(driver.boxes()[0].text.toStdString(),
              "********************* Transfer Memory Points to File *********************\n\n1 - "
              "Check or uncheck Save File includes to include or not include data in transfer\n");
    EXPECT_EQ(driver.boxes()[1].text.toStdString(),
              "QORB_MemoryToFile\nVersion V1.02  02/23/2018\nFile version 1.00\n");
    EXPECT_TRUE(driver.boxes()[2].text.contains(QStringLiteral("COM1")));
}

TEST_F(Form1Test, CloseCommandSavesTheSettingsOnce) {
    const std::filesystem::path settings = folder.path() / "avrbl.txt";
    port.setPortExists(false);  // no port open to close
    window.load();
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(testsupport::readBytes(settings), "0\r\n3\r\n0\r\n0\r\n0\r\n");
    std::filesystem::remove(settings);
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(std::filesystem::exists(settings));
}

TEST_F(Form1Test, DialogsAskWhatTheyAreForAndAnOpenedCopyIsApplied) {
    window.load();
    QStringList asked;
    const auto cancel = [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        const bool saves = dialog->acceptMode() == QFileDialog::AcceptSave;
        const bool asks = saves && !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        asked << QStringList({dialog->objectName(), dialog->windowTitle(),
                              dialog->nameFilters().join(';'), dialog->defaultSuffix(),
                              saves ? "save" : "open", asks ? "asks before replacing" : ""})
                     .join(" | ");
        dialog->reject();
    };
    for (QAction* action : {window.SaveMenu, window.OpenMenu}) {
        whenModalShows(cancel);
        action->trigger();
    }
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        asked << QFileInfo(dialog->selectedFiles().value(0)).fileName();
        cancel(modal);
    });
    window.cmdGetMemoryPoints->click();
    EXPECT_EQ(asked.join('\n').toStdString(),
              "BrowseDialog | Select File to Save | Text Files (*.txt) |  | save | \n"
              "OpenDialog | Select File to Open | Text Files (*.txt) |  | open | \n"
              "MemoryPoints.txt\n"
              "CD | Select directory and filename to save points | All Files (*) | txt | save | "
              "asks before replacing");
    EXPECT_FALSE(window.tmrCheckTimeout->isActive());  // a cancelled press starts nothing

    // A copy whose path is not ASCII, chosen in the open dialog, is loaded and applied.
    const std::filesystem::path copy = folder.path() / u8"r\u00E9glages.txt";
    testsupport::writeBytes(copy, "4\r\n1\r\n1\r\n0\r\n2\r\n");
    whenModalShows([&](QWidget* modal) {
        qobject_cast<QFileDialog*>(modal)->selectFile(QString::fromStdU16String(copy.u16string()));
        static_cast<QDialog*>(modal)->accept();
    });
    window.OpenMenu->trigger();
    EXPECT_EQ(window.Combo1->currentText() + ' ' + window.Combo2->currentText(),
              QStringLiteral("Com 5 9600"));
    EXPECT_EQ(window.CheckUseSpaceDelimiters->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(port.portNumber(), 5);
}

}  // namespace
