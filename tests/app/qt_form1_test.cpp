#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/form1.h"
#include "app/qt_display_text.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"
#include "view/view_error.h"

namespace {

// A control as the window places it, in twips inside its container ("" for the client area).
struct Placed {
    const char* name;
    const char* container;
    const char* caption;
    int left, top, width, height;
};

// clang-format off
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
    {"CheckUseSpaceDelimiters", "Frame2", "Use Space Delimiters (else use Tab)", 360, 1320, 3015, 255},
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
// clang-format on

// A frame's title, a button's or a label's text; nothing for a list or the progress bar.
QString captionOf(const QWidget* widget) {
    if (widget->inherits("QProgressBar")) {
        return {};
    }
    return widget->property(qobject_cast<const QGroupBox*>(widget) ? "title" : "text").toString();
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

    testsupport::TempFolder folder;
    testsupport::FakePort port{gaugesim::GaugeConfig{}};
    pointsfile::FileTable files;
    app::Form1 window{port, files};
};

TEST_F(Form1Test, EveryControlInItsPlaceWithItsCaptionUnderTheTitleAndMenuWithPreciseTimers) {
    // Every place and size is the same multiple of its twips, rounded to the pixel.
    const auto px = [](int twips, double scale) { return qRound(twips * scale / 15.0); };
    const double scale = window.scale();
    for (const Placed& placed : kPlaced) {
        SCOPED_TRACE(placed.name);
        QWidget* widget = control(placed.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(),
                  *placed.container != '\0' ? control(placed.container) : window.centralWidget());
        EXPECT_EQ(captionOf(widget), QLatin1String(placed.caption));
        EXPECT_EQ(widget->geometry(), QRect(px(placed.left, scale), px(placed.top, scale),
                                            px(placed.width, scale), px(placed.height, scale)));
        // A caption shows whole.
        const QSize hint = widget->sizeHint().expandedTo(widget->minimumSizeHint());
        if (*placed.caption != '\0') {
            EXPECT_LE(hint.width(), widget->width());
            EXPECT_LE(hint.height(), widget->height());
        }
    }
    EXPECT_EQ(window.centralWidget()->size(), QSize(px(12480, scale), px(8625, scale)));
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(),
              QStringLiteral("Harlund Instruments QORB Memory to File (V1.02  02/23/2018)"));
    QStringList menu;
    for (const QAction* entry :
         window.menuBar()->actions() + window.FileMenu->actions() + window.OptionsMenu->actions()) {
        // A checkable entry tells screen readers whether it is ticked.
        menu << (entry->menu() != nullptr ? entry->menu()->objectName() : entry->objectName()) +
                    ' ' + entry->text() + ' ' + entry->shortcut().toString() +
                    (entry->isCheckable() ? " checkable" : "");
    }
    EXPECT_EQ(menu.join(", ").toStdString(),
              "FileMenu File , OptionsMenu Options , InfoMenu Info , OpenMenu &Open Ctrl+O, "
              "SaveMenu &Save Ctrl+S, ExitMenu E&xit Ctrl+X, LineSpeedMenu Line Speed Transfer "
              "Ctrl+L checkable, DateTimeNameMenu Date and Time in File Name Ctrl+D checkable, "
              "ToleranceLimitsMenu Tolerance Limits... Ctrl+T, DownloadHistoryMenu Download "
              "History... Ctrl+H");
    // A coarse timer may fire 5 % early, which would cut the 4 s watchdog short.
    for (const QTimer* timer :
         {window.timerCheckData, window.tmrCheckTimeout, window.tmrVersion, window.tmrReplyGap}) {
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
        EXPECT_FALSE(timer->isActive());
    }
}

TEST_F(Form1Test, ScreenReadersHearWhatEachOutputLabelShowsWithTheCaptionAboveIt) {
    const char* const outputs[][3] = {
        {"lblPortConfigured", "Port status", nullptr},
        {"lblDebug", "Gauge version", nullptr},
        {"lblPointsToTransfer", "Points to collect", "Label1"},
        {"lblPointsCollected", "Points Collected", "Label2"},
        {"lblEndResult", "Data Written to file", "Label3"},
    };
    for (const auto& [name, description, caption] : outputs) {
        SCOPED_TRACE(name);
        QWidget* output = control(name);
        // Empty reads empty, not as the caption or the frame around it.
        EXPECT_EQ(heard(output), QString());
        EXPECT_EQ(heard(output, QAccessible::Description), QLatin1String(description));
        if (caption != nullptr) {
            const auto labels =
                QAccessible::queryAccessibleInterface(output)->relations(QAccessible::Label);
            EXPECT_TRUE(!labels.empty() && labels.front().first->object() == control(caption));
        }
    }
    // Captions, lists, buttons, check boxes and frames keep their names.
    for (const char* name : {"Label2", "cmdGetVersion", "CheckUseSpaceDelimiters", "Frame3"}) {
        EXPECT_EQ(heard(control(name)), captionOf(control(name))) << name;
    }
    EXPECT_EQ(heard(window.Combo1), QStringLiteral("Com Port Selection:"));
    // A label shows the gauge's bytes one a character, its CR LF as a line break.
    window.setLabelText(view::Label::lblDebug, "QORB \xB5m\r\n");
    EXPECT_EQ(heard(window.lblDebug), QStringLiteral(u"QORB \u00B5m\n"));
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

// The core never asks for these, nor sends such filters; a fault that did would be told.
TEST_F(Form1Test, ControlsRefuseValuesTheyCannotTakeAndOtherFiltersTakeQtsForm) {
    EXPECT_THROW(window.setTimerPeriod(view::Timer::tmrVersion, 0), view::RefusedValue);
    EXPECT_THROW(window.setTimerRunning(view::Timer::tmrVersion, true), view::RefusedValue);
    EXPECT_THROW(window.setProgressRange(4, 5), view::RefusedValue);
    EXPECT_THROW(window.setProgressPosition(-1), view::RefusedValue);
    EXPECT_EQ(app::nameFilters("Points|*.txt;*.dat||*.csv|All Files (*.*)"),
              QStringList({QStringLiteral("Points (*.txt *.dat)"), QStringLiteral("(*.csv)")}));
    EXPECT_EQ(app::messageText("12.5 \xB5m\r\n"), QStringLiteral(u"12.5 \u00B5m\n"));  // not UTF-8
}

TEST_F(Form1Test, DialogsAskWhatTheyAreForBoxesCarryTheTitleAndOkAndAFailureBecomesOne) {
    window.load();
    QStringList asked;
    // Runs inside the dialog's own event loop, which shows it before it turns.
    const auto cancel = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        const bool saves = dialog->acceptMode() == QFileDialog::AcceptSave;
        const QFileInfo offered(dialog->selectedFiles().value(0));  // a name, or a folder
        asked << QStringList({dialog->objectName(), dialog->windowTitle(),
                              dialog->nameFilters().join(';'), dialog->defaultSuffix(),
                              offered.isDir() ? QString() : offered.fileName(),
                              saves ? "save" : "open",
                              saves && !dialog->testOption(QFileDialog::DontConfirmOverwrite)
                                  ? "asks before replacing"
                                  : ""})
                     .join(" | ");
        // Choosing a type gives the offered name its extension, which chooses the form.
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            saves && types->count() > 1) {
            types->setCurrentIndex(1);
            emit types->activated(1);
            emit types->textActivated(types->currentText());
            asked << QFileInfo(dialog->selectedFiles().value(0)).fileName();
        }
        dialog->reject();
    };
    for (QAction* action : {window.SaveMenu, window.OpenMenu}) {
        QTimer::singleShot(0, &window, cancel);
        action->trigger();
    }
    QTimer::singleShot(0, &window, cancel);
    window.cmdGetMemoryPoints->click();
    EXPECT_EQ(asked.join('\n').toStdString(),
              "BrowseDialog | Select File to Save | Text Files (*.txt) |  |  | save | \n"
              "OpenDialog | Select File to Open | Text Files (*.txt) |  |  | open | \n"
              "CD | Select directory and filename to save points | Points file (*.txt);Excel "
              "workbook (*.xlsx);CSV file (*.csv);All files (*) | txt | MemoryPoints.txt | save | "
              "asks before replacing\nMemoryPoints.xlsx");

    // A copy whose path is not ASCII, chosen in the open dialog, is loaded and applied.
    const std::filesystem::path copy = folder.path() / u8"r\u00E9glages.txt";
    testsupport::writeBytes(copy, "4\r\n1\r\n1\r\n0\r\n2\r\n");
    gaugesim::WindowDriver driver;
    driver.chooseFile(QString::fromStdU16String(copy.u16string()));
    window.OpenMenu->trigger();
    EXPECT_EQ(window.Combo1->currentText() + ' ' + window.Combo2->currentText(),
              QStringLiteral("Com 5 9600"));
    EXPECT_EQ(window.CheckUseSpaceDelimiters->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(port.portNumber(), 5);

    window.cmdHelp->click();
    window.InfoMenu->trigger();
    port.unplug();
    window.cmdGetVersion->click();  // the port's error, which no handler catches
    ASSERT_EQ(driver.boxes().size(), 3u);
    for (const gaugesim::WindowDriver::Box& box : driver.boxes()) {
        EXPECT_EQ(box.title, QStringLiteral("QORB Memory to File"));
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
    EXPECT_TRUE(driver.boxes()[2].text.contains(QStringLiteral("COM5")));
}

// A settings file that is a folder, one endless number of 1 MB, or that holds a baud entry or a
// check box value the lists and boxes refuse: start-up falls back to Com 1 at 38400 without a word.
// The pace's file, a folder, is neither read nor written, silently. A program folder the user can
// write keeps the settings even when they cannot be saved there: the shut-down says so, once.
TEST_F(Form1Test, SettingsThatCannotBeReadOrWrittenLeaveTheProgramGoingOn) {
    const std::filesystem::path settings = folder.path() / "avrbl.txt";
    std::filesystem::create_directory(folder.path() / "pace.txt");
    gaugesim::WindowDriver driver;
    for (const std::string& bytes : {std::string(1 << 20, '7'), std::string("4\r\n6\r\n"),
                                     std::string("4\r\n1\r\n3\r\n"), std::string()}) {
        SCOPED_TRACE(bytes.size());
        std::filesystem::remove_all(settings);
        if (bytes.empty()) {
            std::filesystem::create_directory(settings);
        } else {
            testsupport::writeBytes(settings, bytes);
        }
        port.close();
        app::Form1 fresh(port, files);
        fresh.setProgramFolder(folder.path().string());
        fresh.load();
        EXPECT_EQ(fresh.Combo1->currentText() + ' ' + fresh.Combo2->currentText() + ' ' +
                      fresh.lblPortConfigured->text(),
                  QStringLiteral("Com 1 38400 Valid port"));
    }
    EXPECT_TRUE(driver.boxes().empty());
    port.close();
    window.load();
    window.show();
    EXPECT_TRUE(window.close());
    window.show();
    EXPECT_TRUE(window.close());  // the shut-down runs once
    ASSERT_EQ(driver.boxes().size(), 1u);
    EXPECT_EQ(driver.boxes()[0].text.toStdString(),
              "An error occured while saving file " + settings.string());
    EXPECT_EQ(driver.boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(port.isOpen());
}

// Where decimals take a comma, the dialog takes "12,5" and "." alike and shows the comma; a lower
// limit not below the upper keeps it open with the reason, read out; the file keeps ".".
TEST_F(Form1Test, ToleranceLimitsDialogTakesTheLocalesMarkRefusesReversedLimitsAndRemembers) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    window.load();
    QStringList seen;
    // What the open dialog shows, then the texts typed into its fields and OK; no texts: Cancel.
    const auto answer = [&seen](const QStringList& typed) {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* refusal = dialog->findChild<QLabel*>(QStringLiteral("lblLimitsRefusal"));
        const QList<QLineEdit*> fields = dialog->findChildren<QLineEdit*>();
        seen << dialog->windowTitle() + ": " + refusal->text() + " | " + heard(refusal);
        for (QLineEdit* field : fields) {
            seen << heard(field) + ' ' + field->text();
        }
        for (qsizetype i = 0; i < typed.size(); ++i) {
            fields[i]->setText(typed[i]);
        }
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        buttons->button(typed.isEmpty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
    };
    QTimer::singleShot(0, &window, [&] {
        answer({QStringLiteral("Bore"), QStringLiteral("13"), QStringLiteral("12,5")});
        answer({QStringLiteral(" Bore 12H7 "), QStringLiteral("12.5"), QStringLiteral("13,5")});
        if (auto* refused = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            refused->reject();  // a fault: the test goes on to fail, not hang
        }
    });
    window.ToleranceLimitsMenu->trigger();
    EXPECT_EQ(testsupport::readBytes(folder.path() / "limits.txt"),
              "12.5\r\n13.5\r\n\r\nBore 12H7\r\n");
    QTimer::singleShot(0, &window, [&] { answer({}); });
    window.ToleranceLimitsMenu->trigger();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(seen.join('\n').toStdString(),
              "Tolerance Limits:  | \nCharacteristic: \nLower limit (LSL): \nUpper limit (USL): \n"
              "Nominal: \n"
              "Tolerance Limits: Lower limit (LSL) must be below Upper limit (USL) | Lower limit "
              "(LSL) must be below Upper limit (USL)\n"
              "Characteristic: Bore\nLower limit (LSL): 13\nUpper limit (USL): 12,5\nNominal: \n"
              "Tolerance Limits:  | \nCharacteristic: Bore 12H7\nLower limit (LSL): 12,5\n"
              "Upper limit (USL): 13,5\nNominal: ");
}

}  // namespace
