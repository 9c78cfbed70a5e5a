#include "driver/downloads_browser.h"
#include "driver/history_dialog_actions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sample_history.h"
#include "support/temp_folder.h"

namespace {

using testsupport::readBytes;

class DownloadsBrowserTest : public ::testing::Test {
protected:
    DownloadsBrowserTest() { testsupport::addSampleDownloads(path); }

    const testsupport::TempFolder folder;
    const std::string path = folder.file("history.sqlite");
    driver::DownloadsBrowser browser{{true, path, ""}, folder.file(""), {}};
};

std::vector<std::string> uidsOf(const view::DownloadsListing& listing) {
    std::vector<std::string> uids;
    for (const view::ListedDownload& download : listing.downloads) {
        uids.push_back(download.uid);
    }
    return uids;
}

TEST_F(DownloadsBrowserTest, EachCharacteristicListsItsDownloadsNewestFirst) {
    EXPECT_EQ(browser.characteristics(),
              (std::vector<std::string>{"All", "Bore 12H7", "Shaft 8g6"}));
    const struct {
        std::size_t choice;
        std::vector<std::string> listed;
        std::string status;
    } cases[] = {
        {0, {"u3", "u2", "u1"}, "3 downloads in " + path + ", newest first"},
        {1, {"u3", "u1"}, "2 downloads of Bore 12H7 in " + path + ", newest first"},
        {2, {"u2"}, "1 download of Shaft 8g6 in " + path + ", newest first"},
    };
    for (const auto& c : cases) {
        const view::DownloadsListing listing = browser.downloads(c.choice);
        EXPECT_EQ(uidsOf(listing), c.listed) << c.choice;
        EXPECT_EQ(listing.status, c.status) << c.choice;
    }
    EXPECT_EQ(browser.downloads(1).downloads.back().detail, "Written to /data/bore.csv (uid u1)");
}

// One trend is of one thing measured: "All" is refused while the history holds two.
TEST_F(DownloadsBrowserTest, TheTrendWorkbookIsOfOneCharacteristic) {
    browser.characteristics();
    const struct {
        std::size_t choice;
        std::string name;
        std::string status;
    } cases[] = {
        {1, "bore.xlsx",
         "Trend workbook of 2 downloads (1 of them repeats, left out) written to " +
             folder.file("bore.xlsx")},
        {2, "shaft.xlsx", "Trend workbook of 1 download written to " + folder.file("shaft.xlsx")},
        {0, "all.xlsx",
         "The downloads listed hold 2 characteristics (Bore 12H7, Shaft 8g6): choose one for "
         "its trend workbook."},
    };
    for (const auto& c : cases) {
        // The window asks for no name where the listing makes no trend.
        browser.downloads(c.choice);
        EXPECT_EQ(browser.trendRefusal(), c.choice == 0 ? c.status : "") << c.name;
        const std::string written = folder.file(c.name);
        EXPECT_EQ(browser.writeTrendWorkbook(c.choice, written), c.status);
        EXPECT_EQ(std::filesystem::exists(written), c.choice != 0) << c.name;
    }
    // The name offered is the characteristic's, with what no system takes in a name made "_".
    history::LocalHistory(path, history::LocalHistory::Access::Write)
        .add(testsupport::sampleDownload("u4", "11:00", "Bore 12/H7: top?", {"1\t12.0\tmm"}));
    EXPECT_EQ(browser.characteristics().at(1), "Bore 12/H7: top?");
    EXPECT_EQ(browser.trendWorkbookDialog(1).defaultName, "Bore 12_H7_ top_ trend.xlsx");
    EXPECT_EQ(browser.trendWorkbookDialog(0).defaultName, "Trend.xlsx");
    const std::string missing = folder.file("no such folder/bore.xlsx");
    EXPECT_EQ(browser.writeTrendWorkbook(1, missing).find("Cannot "), 0u);
}

TEST_F(DownloadsBrowserTest, ADownloadsFileIsMadeAgainWhereTheOperatorSays) {
    browser.downloads(0);
    // The form it was written in, offered again.
    EXPECT_EQ(browser.savePointsDialog("u2").defaultExtension, "txt");
    EXPECT_EQ(browser.savePointsDialog("u1").defaultExtension, "csv");

    const std::string again = folder.file("again.txt");
    EXPECT_EQ(browser.savePoints("u2", again),
              "The download pressed at 2026-12-07T09:00:00+01:00 made again in " + again);
    EXPECT_EQ(readBytes(again), "1\t7.990\tmm\r\n2\t7.994\tmm\r\n");
    const std::string folderInTheWay = folder.file("taken.txt");
    std::filesystem::create_directory(folderInTheWay);
    EXPECT_NE(browser.savePoints("u2", folderInTheWay).find(folderInTheWay), std::string::npos);
}

// A history that cannot be read says why, naming it, and offers only "All".
TEST(DownloadsBrowser, AHistoryThatCannotBeReadIsNamedWithTheReason) {
    const testsupport::TempFolder folder;
    const std::string notHistory = folder.file("notes.sqlite");
    testsupport::writeBytes(notHistory, "shopping list\n");
    // A failure's status goes on with the reason the history gives.
    const struct {
        history::HistoryChoices choices;
        std::string status;
        bool reasonFollows;
    } cases[] = {
        {{true, notHistory, ""}, "The history cannot be read: " + notHistory + ": ", true},
        {{true, "", "host=db password=secret"},
         "The history cannot be read: plant database on db: ",
         true},
        {{true, folder.file("none.sqlite"), ""},
         "No downloads in " + folder.file("none.sqlite") + " yet: the first one to end makes it.",
         false},
    };
    for (const auto& c : cases) {
        driver::DownloadsBrowser browser(c.choices, folder.file(""), {});
        EXPECT_EQ(browser.characteristics(), std::vector<std::string>{"All"});
        const std::string status = browser.downloads(0).status;
        EXPECT_EQ(status.substr(0, c.status.size()), c.status);
        EXPECT_EQ(status.size() > c.status.size(), c.reasonFollows) << status;
    }
}

// The Download History dialog's state says what the choices would keep, or why they cannot.
TEST(HistoryDialogActions, TheStateSaysWhatTheChoicesKeepOrWhyNot) {
    const testsupport::TempFolder folder;
    const std::string notHistory = folder.file("notes.sqlite");
    testsupport::writeBytes(notHistory, "shopping list\n");
    driver::HistoryDialogActions actions(folder.file(""), nullptr, {});
    const std::string none = folder.file("none.sqlite");
    EXPECT_EQ(actions.stateOf({false, notHistory, ""}),
              "No history is kept: each download is in its file only.");
    EXPECT_EQ(actions.stateOf({true, none, ""}),
              "No downloads in the history yet; the first one makes " + none + ".");
    EXPECT_TRUE(actions.stateOf({true, notHistory, ""})
                    .starts_with("The history cannot be written: " + notHistory + ": "));
    EXPECT_EQ(actions.refusalOf({true, none, "host=db"}), "");
    EXPECT_NE(actions.refusalOf({true, none, "host=db password=secret"}).find("password"),
              std::string::npos);
}

}  // namespace
