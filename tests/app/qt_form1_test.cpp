#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
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
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/form1.h"
#include "pointsfile/file_table.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"
#include "tools/qt_window_driver.h"
#include "view/view_error.h"

using app::Form1;
using testsupport::readBytes;

namespace {

// What a message box showed.
struct BoxSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// A control as the window places it, in twips inside its container.
struct Placed {
    const char* name;
    const char* container;
    const char* caption;
    int left, top, width, height;
};

constexpr Placed kPlaced[] = {
    {"Frame1", "window", "Connection", 360, 360, 2655, 2175},
    {"Label4", "Frame1", "Com Port Selection:", 480, 360, 1605, 255},
    {"Combo1", "Frame1", "", 480, 600, 1695, 315},
    {"Label5", "Frame1", "Baud Rate Selection:", 480, 1080, 1605, 255},
    {"Combo2", "Frame1", "", 480, 1320, 1695, 315},
    {"cmdSetNewBaudRate", "window", "Set New Baud Rate", 3960, 1080, 1815, 375},
    {"lblPortConfigured", "window", "", 3960, 1680, 1815, 255},
    {"Frame2", "window", "Save File Includes", 7200, 360, 4215, 2055},
    {"chkIncludeStatistics", "Frame2", "Include Statistics", 360, 360, 1935, 375},
    {"chkIncludeDeletedItem", "Frame2", "Include Deletes", 360, 840, 1455, 375},
    {"CheckUseSpaceDelimiters", "Frame2", "Use Space Delimiters (else use Tab)", 360, 1320, 3015,
     255},
    {"cmdExit", "window", "Exit", 10320, 3120, 1095, 375},
    {"cmdGetVersion", "window", "Get Version", 3120, 3600, 1455, 495},
    {"lblDebug", "window", "", 4920, 3600, 2655, 495},
    {"cmdHelp", "window", "Help", 10320, 3720, 1095, 375},
    {"Frame3", "window", "Details", 360, 4680, 11655, 3975},
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
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

gaugesim::GaugeConfig smallGauge() {
    gaugesim::GaugeConfig config;
    config.statisticsPoints = {"1\t0.5000", "2\t0.2500"};
    config.memoryPoints = {"1\t12.0007\tmm", "D2\t12.0014\tmm", "3\t12.0021\tmm"};
    return config;
}

class Form1Test : public ::testing::Test {
protected:
    Form1Test() : port(smallGauge()), window(std::make_unique<Form1>(port, files)) {
        window->setProgramFolder(folder.path().string());
    }

    template <typename Widget = QWidget>
    Widget* control(const char* name) const {
        return window->findChild<Widget*>(QLatin1String(name));
    }

    std::filesystem::path settingsFile() const { return folder.path() / "avrbl.txt"; }

    // Acts on the next modal box or dialog from inside its own event loop, as an operator would.
    // The watch ends with the test, so it never answers a later test's box.
    void whenModalShows(std::function<void(QWidget*)> act, int triesLeft = 400) {
        QTimer::singleShot(5, &m_watch, [this, act = std::move(act), triesLeft]() mutable {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                act(modal);
            } else if (triesLeft > 0) {
                whenModalShows(std::move(act), triesLeft - 1);
            }
        });
    }

    // Records the next message box into `seen` and presses its OK.
    void answerMessageBox(std::vector<BoxSeen>& seen) {
        whenModalShows([&seen](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen.push_back(
                    {box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
                box->button(QMessageBox::Ok)->click();
            }
        });
    }

    // Lets `inspect` look at the next file dialog, then chooses `path` in it.
    void chooseInFileDialog(
        const QString& path, std::function<void(QFileDialog*)> inspect = [](QFileDialog*) {}) {
        whenModalShows([path, inspect = std::move(inspect)](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                inspect(dialog);
                dialog->selectFile(path);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
    }

    testsupport::TempFolder folder;
    testsupport::FakePort port;
    pointsfile::FileTable files;
    std::unique_ptr<Form1> window;

    QObject m_watch;
};

// --- What the operator sees

TEST_F(Form1Test, EveryControlSitsInItsContainerWithItsCaptionAndPlace) {
    const double scale = window->scale();
    ASSERT_GE(scale, 1.0);
    for (const Placed& placed : kPlaced) {
        SCOPED_TRACE(placed.name);
        QWidget* widget = control(placed.name);
        ASSERT_NE(widget, nullptr);
        const QWidget* container = std::string(placed.container) == "window"
                                       ? window->centralWidget()
                                       : control(placed.container);
        EXPECT_EQ(widget->parentWidget(), container);
        EXPECT_EQ(captionOf(widget), QString::fromLatin1(placed.caption));
        // Every place and size is the same multiple of its twips, rounded to the pixel.
        const QRect place = widget->geometry();
        const double perTwip = scale / 15.0;
        EXPECT_NEAR(place.x(), placed.left * perTwip, 0.5);
        EXPECT_NEAR(place.y(), placed.top * perTwip, 0.5);
        EXPECT_NEAR(place.width(), placed.width * perTwip, 0.5);
        EXPECT_NEAR(place.height(), placed.height * perTwip, 0.5);
    }
    EXPECT_NEAR(window->centralWidget()->width(), 12480 * scale / 15.0, 0.5);
    EXPECT_NEAR(window->centralWidget()->height(), 8625 * scale / 15.0, 0.5);
}

TEST_F(Form1Test, EveryCaptionShowsWholeAtTheSmallestScaleThatAllowsIt) {
    const double scale = window->scale();
    bool tightAtSmallerScale = false;
    double widest = 0;
    for (const Placed& placed : kPlaced) {
        if (std::string(placed.caption).empty()) {
            continue;
        }
        SCOPED_TRACE(placed.name);
        const QWidget* widget = control(placed.name);
        const QSize hint = widget->sizeHint().expandedTo(widget->minimumSizeHint());
        EXPECT_LE(hint.width(), widget->width());
        EXPECT_LE(hint.height(), widget->height());
        widest = std::max(widest, hint.width() * 15.0 / placed.width);
        const double smaller = (scale - 0.01) / 15.0;
        tightAtSmallerScale = tightAtSmallerScale ||
                              hint.width() > std::lround(placed.width * smaller) ||
                              hint.height() > std::lround(placed.height * smaller);
    }
    if (scale > 1.0) {
        EXPECT_TRUE(tightAtSmallerScale) << "a smaller scale would do";
    }
    std::printf("font %s %d pt, scale %.2f, widest caption %.3f of its box width at scale 1\n",
                qPrintable(window->font().family()), window->font().pointSize(), scale, widest);
}

TEST_F(Form1Test, WindowCaptionMenuAndFixedSize) {
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Harlund Instruments QORB Memory to File (V1.02  02/23/2018)"));
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("File"));
    EXPECT_EQ(bar[0]->menu(), window->FileMenu);
    EXPECT_EQ(bar[1], window->InfoMenu);
    EXPECT_EQ(bar[1]->text(), QStringLiteral("Info"));
    EXPECT_EQ(bar[1]->menu(), nullptr);

    const QList<QAction*> entries = window->FileMenu->actions();
    ASSERT_EQ(entries.size(), 3);
    const char* const names[] = {"OpenMenu", "SaveMenu", "ExitMenu"};
    const char* const captions[] = {"&Open", "&Save", "E&xit"};
    const char* const keys[] = {"Ctrl+O", "Ctrl+S", "Ctrl+X"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i]->objectName(), QLatin1String(names[i]));
        EXPECT_EQ(entries[i]->text(), QLatin1String(captions[i]));
        EXPECT_EQ(entries[i]->shortcut(), QKeySequence(QLatin1String(keys[i])));
    }

    window->show();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->centralWidget()->size().width(), window->width());
}

TEST_F(Form1Test, ListsTakeNoTypingAndOutputLabelsReadApartFromCaptions) {
    EXPECT_FALSE(window->Combo1->isEditable() || window->Combo2->isEditable());
    for (const char* name : {"lblPortConfigured", "lblDebug", "lblPointsToTransfer",
                             "lblPointsCollected", "lblEndResult"}) {
        const auto* output = control<QLabel>(name);
        EXPECT_NE(output->frameShape(), window->Label1->frameShape()) << name;
        // A text longer than the box shows its beginning.
        EXPECT_FALSE(output->wordWrap()) << name;
        EXPECT_EQ(output->alignment(), Qt::AlignLeft | Qt::AlignTop) << name;
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
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(control(name));
        // Empty reads empty, not as the caption or the frame around it.
        EXPECT_EQ(heard->text(QAccessible::Name), QString());
        EXPECT_EQ(heard->text(QAccessible::Description), QLatin1String(description));
        if (caption != nullptr) {
            const auto labels = heard->relations(QAccessible::Label);
            EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const auto& relation) {
                return relation.first->object() == control(caption);
            }));
        }
    }
    // Captions, lists, buttons, check boxes and frames keep the names they had.
    const std::pair<const char*, const char*> kept[] = {
        {"Label2", "Points Collected"},
        {"Combo1", "Com Port Selection:"},
        {"cmdGetVersion", "Get Version"},
        {"CheckUseSpaceDelimiters", "Use Space Delimiters (else use Tab)"},
        {"Frame3", "Details"},
    };
    for (const auto& [name, accessible] : kept) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control(name))->text(QAccessible::Name),
                  QLatin1String(accessible))
            << name;
    }
    port.setPortExists(false);
    window->load();
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(window->lblPortConfigured)->text(QAccessible::Name),
        QStringLiteral("Invalid port"));
}

TEST_F(Form1Test, TabVisitsTheControlsInTheirOrderFromTheFirstFocusOnCombo1) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil(
        [&] { return QApplication::focusWidget() != nullptr; }, 2000));
    EXPECT_EQ(QApplication::focusWidget(), window->Combo1);

    const char* const order[] = {"Combo2",
                                 "cmdExit",
                                 "cmdSetNewBaudRate",
                                 "cmdGetMemoryPoints",
                                 "cmdHelp",
                                 "cmdGetVersion",
                                 "chkIncludeDeletedItem",
                                 "chkIncludeStatistics",
                                 "CheckUseSpaceDelimiters",
                                 "Combo1"};
    for (const char* expected : order) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(expected));
    }
}

// --- Before and after the load

TEST_F(Form1Test, BeforeTheLoadNothingIsFilledTickedOrRunning) {
    for (const view::List list : {view::List::Combo1, view::List::Combo2}) {
        EXPECT_EQ(window->selectedListIndex(list), -1);
    }
    EXPECT_EQ(window->Combo1->count() + window->Combo2->count(), 0);
    for (const QCheckBox* box : window->findChildren<QCheckBox*>()) {
        EXPECT_EQ(box->checkState(), Qt::Unchecked);
    }
    for (const char* name : {"lblPortConfigured", "lblDebug", "lblPointsToTransfer",
                             "lblPointsCollected", "lblEndResult"}) {
        EXPECT_TRUE(control<QLabel>(name)->text().isEmpty()) << name;
    }
    EXPECT_EQ(window->ProgressBar1->value(), 0);
    EXPECT_EQ(window->ProgressBar1->minimum(), 0);
    EXPECT_EQ(window->ProgressBar1->maximum(), 100);
    for (const QTimer* timer :
         {window->timerCheckData, window->tmrCheckTimeout, window->tmrVersion}) {
        EXPECT_FALSE(timer->isActive()) << qPrintable(timer->objectName());
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
        EXPECT_FALSE(timer->isSingleShot());
    }
}

// --- The view operations on real widgets

TEST_F(Form1Test, ControlsRefuseValuesTheyCannotTake) {
    window->load();
    using view::CheckBox;
    using view::List;
    using view::Timer;
    const std::pair<const char*, std::function<void()>> refused[] = {
        {"check box 3", [&] { window->setCheckBoxValue(CheckBox::chkIncludeStatistics, 3); }},
        {"check box -1", [&] { window->setCheckBoxValue(CheckBox::chkIncludeDeletedItem, -1); }},
        {"list index -2", [&] { window->selectListEntry(List::Combo1, -2); }},
        {"list index 16", [&] { window->selectListEntry(List::Combo1, 16); }},
        {"list index 6", [&] { window->selectListEntry(List::Combo2, 6); }},
        {"timer period 0", [&] { window->setTimerPeriod(Timer::tmrVersion, 0); }},
        {"timer period -50", [&] { window->setTimerPeriod(Timer::tmrCheckTimeout, -50); }},
        {"timer without period", [&] { window->setTimerRunning(Timer::tmrCheckTimeout, true); }},
        {"range upside down", [&] { window->setProgressRange(4, 5); }},
        {"position above", [&] { window->setProgressPosition(101); }},
        {"position below", [&] { window->setProgressPosition(-1); }},
    };
    for (const auto& [what, call] : refused) {
        EXPECT_THROW(call(), view::RefusedValue) << what;
    }
    EXPECT_EQ(window->selectedListIndex(List::Combo1), 0);
    EXPECT_FALSE(window->tmrCheckTimeout->isActive());

    window->setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 2);
    EXPECT_EQ(window->checkBoxValue(CheckBox::CheckUseSpaceDelimiters), 2);
    window->setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 1);
    EXPECT_EQ(window->checkBoxValue(CheckBox::CheckUseSpaceDelimiters), 1);
    window->selectListEntry(List::Combo2, -1);
    EXPECT_EQ(window->selectedListIndex(List::Combo2), -1);
}

TEST_F(Form1Test, ProgressRangeBelowThePositionKeepsThePositionInside) {
    window->setProgressPosition(60);
    window->setProgressRange(25, 0);
    EXPECT_EQ(window->ProgressBar1->maximum(), 25);
    EXPECT_EQ(window->ProgressBar1->value(), 25);
    window->setProgressRange(40, 30);
    EXPECT_EQ(window->ProgressBar1->value(), 30);
}

// --- Events through the guard

TEST_F(Form1Test, BoxesCarryTheApplicationsTitleAndAnUncaughtFailureBecomesOne) {
    std::vector<BoxSeen> boxes;
    answerMessageBox(boxes);
    window->cmdHelp->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("QORB Memory to File"));
    // The help text's CR LF shows as a plain line break.
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("********************* Transfer Memory Points to File "
                             "*********************\n\n"
                             "1 - Check or uncheck Save File includes to include or not include "
                             "data in transfer\n"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);

    window->load();
    port.unplug();
    answerMessageBox(boxes);
    window->cmdGetVersion->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, QStringLiteral("QORB Memory to File"));
    EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("COM1"))) << qPrintable(boxes[1].text);

    answerMessageBox(boxes);
    window->InfoMenu->trigger();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[2].text.startsWith(QStringLiteral("QORB_MemoryToFile\n")));
}

TEST_F(Form1Test, ExitShutsDownAndEndsTheEventLoop) {
    window->load();
    window->show();
    QTimer::singleShot(0, window->cmdExit, &QPushButton::click);
    // A program that failed to end is stopped here with another code; the watch ends with the
    // test, so this cannot end a later test's event loop.
    QTimer::singleShot(5000, &m_watch, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(window->ended());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->timerCheckData->isActive());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(readBytes(settingsFile()), "0\r\n3\r\n0\r\n0\r\n0\r\n");
}

// --- A whole transfer in real time

TEST_F(Form1Test, MemoryPointsToFileAsksInTheSaveDialogCDAndWritesTheChosenFile) {
    window->load();
    window->setCheckBoxValue(view::CheckBox::chkIncludeStatistics, 1);
    window->setCheckBoxValue(view::CheckBox::CheckUseSpaceDelimiters, 1);
    const std::string path = folder.file("points.txt");

    QString title, suggested, suffix, dialogName;
    bool confirmsOverwrite = false;
    bool savesFile = false;
    chooseInFileDialog(QString::fromStdString(path), [&](QFileDialog* dialog) {
        dialogName = dialog->objectName();
        title = dialog->windowTitle();
        suggested = dialog->selectedFiles().value(0);
        suffix = dialog->defaultSuffix();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        savesFile = dialog->acceptMode() == QFileDialog::AcceptSave;
    });
    window->cmdGetMemoryPoints->click();
    EXPECT_EQ(dialogName, QStringLiteral("CD"));
    EXPECT_EQ(title, QStringLiteral("Select directory and filename to save points"));
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("/MemoryPoints.txt"))) << qPrintable(suggested);
    EXPECT_EQ(suffix, QStringLiteral("txt"));
    EXPECT_TRUE(confirmsOverwrite);
    EXPECT_TRUE(savesFile);

    std::vector<BoxSeen> boxes;
    answerMessageBox(boxes);
    ASSERT_TRUE(gaugesim::WindowDriver::waitUntil([&] { return !boxes.empty(); }, 10000));
    EXPECT_EQ(boxes[0].text,
              QString::fromStdString("Transfer Complete - Data saved in file " + path));
    EXPECT_EQ(readBytes(path), "1 0.5000\r\n2 0.2500\r\n1 12.0007 mm\r\n3 12.0021 mm\r\n");
}

TEST_F(Form1Test, OpenMenuLoadsASettingsCopyWhosePathIsNotAscii) {
    window->load();
    const std::filesystem::path copy = folder.path() / u8"r\u00E9glages.txt";
    testsupport::writeBytes(copy, "4\r\n1\r\n1\r\n0\r\n2\r\n");
    QString title;
    QStringList filters;
    bool opensExisting = false;
    chooseInFileDialog(QString::fromStdU16String(copy.u16string()), [&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        opensExisting = dialog->acceptMode() == QFileDialog::AcceptOpen &&
                        dialog->fileMode() == QFileDialog::ExistingFile;
    });
    window->OpenMenu->trigger();
    EXPECT_EQ(title, QStringLiteral("Select File to Open"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("Text Files (*.txt)")});
    EXPECT_TRUE(opensExisting);
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("Com 5"));
    EXPECT_EQ(window->Combo2->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(window->chkIncludeDeletedItem->checkState(), Qt::Checked);
    EXPECT_EQ(window->CheckUseSpaceDelimiters->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(port.portNumber(), 5);
}

}  // namespace
