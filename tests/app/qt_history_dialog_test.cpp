#include "app/qt_history_dialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tools/qt_window_driver.h"
#include "view/downloads_browser.h"

namespace {

// Says back what it is asked, so that the dialog's words show which choices it asked about; a
// connection test takes as long as it is held, as a far server's does.
struct EchoActions : view::HistoryDialogActions {
    std::string stateOf(const history::HistoryChoices& chosen) override {
        return std::string(chosen.keep ? "kept" : "none") + " in [" + chosen.file + "] to [" +
               chosen.database + "]";
    }
    std::string refusalOf(const history::HistoryChoices& chosen) override {
        return chosen.database.find("password") == std::string::npos ? "" : "no password here";
    }
    std::string testConnection(const std::string& database) override {
        while (hold) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "reached " + database;
    }
    std::unique_ptr<view::DownloadsBrowser> browseDownloads(
        const history::HistoryChoices&) override {
        return nullptr;
    }
    std::atomic<bool> hold{false};
};

class HistoryDialogTest : public ::testing::Test {
protected:
    template <typename Widget = QWidget>
    Widget* child(const char* name) {
        return dialog.findChild<Widget*>(QLatin1String(name));
    }
    // What a screen reader hears of the state as it is now.
    std::string state() {
        return QAccessible::queryAccessibleInterface(child("lblHistoryState"))
            ->text(QAccessible::Name)
            .toStdString();
    }
    void typeDatabase(const QString& text) {
        child<QLineEdit>("txtPlantDatabase")->setText(text);
        emit child<QLineEdit>("txtPlantDatabase")->editingFinished();
    }
    void testConnection() { child<QPushButton>("cmdTestConnection")->click(); }
    void ok() { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

    EchoActions actions;
    app::HistoryDialog dialog{{true, "/h/history.sqlite", ""}, actions, nullptr};
};

// The state follows each choice as it is made; without a history nothing else can be chosen.
TEST_F(HistoryDialogTest, TheStateFollowsTheChoicesAndNoHistoryLeavesNothingToChoose) {
    EXPECT_EQ(state(), "kept in [/h/history.sqlite] to []");
    typeDatabase(QStringLiteral("  host=qdb "));
    EXPECT_EQ(state(), "kept in [/h/history.sqlite] to [host=qdb]");
    child<QCheckBox>("chkKeepHistory")->setChecked(false);
    EXPECT_EQ(state(), "none in [/h/history.sqlite] to [host=qdb]");
    for (const char* name :
         {"txtHistoryFile", "cmdBrowseHistory", "txtPlantDatabase", "cmdTestConnection"}) {
        EXPECT_FALSE(child(name)->isEnabled()) << name;
    }
}

// A test needs a database and one that may be taken; OK keeps the dialog open over one that may
// not, saying why, and takes the choices trimmed once it may.
TEST_F(HistoryDialogTest, ATestOrOkRefusesWhatCannotBeTakenAndSaysWhy) {
    testConnection();
    EXPECT_EQ(state(), "Name a plant database to test.");
    typeDatabase(QStringLiteral("host=qdb password=secret"));
    testConnection();
    EXPECT_EQ(state(), "no password here");
    typeDatabase(QStringLiteral("host=qdb password=secret "));
    ok();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(state(), "no password here");
    typeDatabase(QStringLiteral(" host=qdb  "));
    ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.choices().database, "host=qdb");
}

// The test runs beside the window, which says so and answers meanwhile; its answer is shown and
// heard, and a dialog closed under a test waits for it rather than leave it running.
TEST_F(HistoryDialogTest, ATestRunsBesideTheWindowAndItsAnswerIsHeard) {
    typeDatabase(QStringLiteral("host=qdb"));
    actions.hold = true;
    testConnection();
    EXPECT_EQ(state(), "Connecting to the plant database...");
    EXPECT_FALSE(child<QPushButton>("cmdTestConnection")->isEnabled());
    actions.hold = false;
    EXPECT_TRUE(
        gaugesim::WindowDriver::waitUntil([this] { return state() == "reached host=qdb"; }, 10000));
    EXPECT_TRUE(child<QPushButton>("cmdTestConnection")->isEnabled());

    actions.hold = true;
    auto closed = std::make_unique<app::HistoryDialog>(
        history::HistoryChoices{true, "", "host=far"}, actions, nullptr);
    closed->findChild<QPushButton*>(QStringLiteral("cmdTestConnection"))->click();
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        actions.hold = false;
    });
    closed.reset();
    release.join();
}

}  // namespace
