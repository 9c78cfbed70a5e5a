#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/save_command.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"
#include "view/view_error.h"

namespace {

using view::CheckBox;
using view::List;

class SettingsFileTest : public testing::Test {
protected:
    SettingsFileTest() {
        serial::FillPortLists(view);
        view.selectListEntry(List::Combo1, 0);
        view.selectListEntry(List::Combo2, 0);
        // Greyed, which no test file holds, so an untouched box shows.
        for (CheckBox box : kBoxes) {
            view.setCheckBoxValue(box, 2);
        }
    }

    // Port index, baud index, then the boxes in file order.
    std::vector<int> shown() const {
        std::vector<int> values = {view.selectedListIndex(List::Combo1),
                                   view.selectedListIndex(List::Combo2)};
        for (CheckBox box : kBoxes) {
            values.push_back(view.checkBoxValue(box));
        }
        return values;
    }

    static constexpr CheckBox kBoxes[] = {CheckBox::chkIncludeDeletedItem,
                                          CheckBox::chkIncludeStatistics,
                                          CheckBox::CheckUseSpaceDelimiters};
    testsupport::FakeView view;
    pointsfile::FileTable files;
    testsupport::TempFolder folder;
    std::string path = folder.file("avrbl.txt");
};

TEST_F(SettingsFileTest, LoadAssignsEachValueUntilTheFirstFailureThenFallsBackSilently) {
    struct Case {
        const char* content;
        std::vector<int> shown;
    };
    const Case cases[] = {
        {nullptr, {0, 3, 2, 2, 2}},
        {"2\r\n3\r\n0\r\n1\r\n0\r\n", {2, 3, 0, 1, 0}},
        {"5\r\n1\r\n", {0, 3, 2, 2, 2}},
        {"20\r\n1\r\n0\r\n1\r\n0\r\n", {0, 3, 2, 2, 2}},
        {"4\r\n1\r\n1\r\n5\r\n0\r\n", {0, 3, 1, 2, 2}},
        {"-1\r\n-1\r\n1\r\n0\r\n1\r\n", {-1, -1, 1, 0, 1}},
        {"7,2,1,0,1\r\n", {7, 2, 1, 0, 1}},
        {"7\r\n2\r\n1\r\n0\r\n1\r\n9\r\nrubbish\r\n", {7, 2, 1, 0, 1}},
        {"  8, 4,\t0\n1\r1", {8, 4, 0, 1, 1}},
        {"8\r\n\r\n0\r\n1\r\n1\r\n", {0, 3, 2, 2, 2}},
        {"8\r\n4\r\n1.0\r\n1\r\n1\r\n", {0, 3, 2, 2, 2}},
        {"70000\r\n", {0, 3, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        for (CheckBox box : kBoxes) {
            view.setCheckBoxValue(box, 2);
        }
        const std::string content = c.content != nullptr ? c.content : "(no file)";
        if (c.content != nullptr) {
            testsupport::writeBytes(path, c.content);
        }
        settings::LoadSettings(view, files, c.content != nullptr ? path : folder.file("none"));
        EXPECT_EQ(shown(), c.shown) << content;
        EXPECT_FALSE(files.isOpen(1)) << content;
    }
    EXPECT_TRUE(view.messageBoxes().empty());
}

TEST_F(SettingsFileTest, SaveWritesFiveDecimalLinesReplacingTheFile) {
    testsupport::writeBytes(path, "a much longer earlier content\r\n");
    view.selectListEntry(List::Combo1, 2);
    view.selectListEntry(List::Combo2, 3);
    view.setCheckBoxValue(CheckBox::chkIncludeDeletedItem, 0);
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
    view.setCheckBoxValue(CheckBox::CheckUseSpaceDelimiters, 0);
    settings::SaveSettings(view, files, path);
    EXPECT_EQ(testsupport::readBytes(path), "2\r\n3\r\n0\r\n1\r\n0\r\n");

    view.selectListEntry(List::Combo1, -1);
    view.selectListEntry(List::Combo2, -1);
    const std::string bare = folder.file("settings");
    settings::SaveSettings(view, files, bare);
    EXPECT_EQ(testsupport::readBytes(bare), "-1\r\n-1\r\n0\r\n1\r\n0\r\n");
    EXPECT_FALSE(std::filesystem::exists(bare + ".txt"));
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_TRUE(view.messageBoxes().empty());
}

TEST_F(SettingsFileTest, SaveWhileATransferHoldsNumberOneLeavesItsFileAlone) {
    const std::string points = folder.file("MemoryPoints.txt");
    files.openForWriting(files.freeFileNumber(), points);
    files.writeLine(1, "1\t2.5");
    settings::SaveSettings(view, files, path);

    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text, "An error occured while saving file " + path);
    EXPECT_EQ(view.messageBoxes()[0].icon, view::MessageIcon::Exclamation);
    EXPECT_FALSE(std::filesystem::exists(path));
    files.writeLine(1, "2\t3.5");
    files.close(1);
    EXPECT_EQ(testsupport::readBytes(points), "1\t2.5\r\n2\t3.5\r\n");
}

// A failure in mid-save: the fourth line cannot be had.
class ViewFailingOnStatistics : public testsupport::FakeView {
public:
    std::int16_t checkBoxValue(CheckBox box) const override {
        if (box == CheckBox::chkIncludeStatistics) {
            throw view::RefusedValue("chkIncludeStatistics", 9);
        }
        return FakeView::checkBoxValue(box);
    }
};

TEST_F(SettingsFileTest, FailedWriteKeepsEarlierLinesAndFreesNumberOne) {
    ViewFailingOnStatistics failing;
    serial::FillPortLists(failing);
    failing.selectListEntry(List::Combo1, 4);
    failing.selectListEntry(List::Combo2, 5);
    settings::SaveSettings(failing, files, path);
    EXPECT_EQ(testsupport::readBytes(path), "4\r\n5\r\n0\r\n");
    ASSERT_EQ(failing.messageBoxes().size(), 1u);
    EXPECT_EQ(failing.messageBoxes()[0].text, "An error occured while saving file " + path);
    EXPECT_FALSE(files.isOpen(1));
}

TEST_F(SettingsFileTest, SaveCommandAsksOnceAndACancelSavesAndShowsNothing) {
    view.answerNextDialog(path);
    settings::saveSettingsAs(view, files);
    ASSERT_EQ(view.dialogsShown().size(), 1u);
    const view::SaveDialogRequest& asked = view.dialogsShown()[0].request;
    EXPECT_EQ(view.dialogsShown()[0].dialog, view::SaveDialog::BrowseDialog);
    EXPECT_EQ(asked.title, "Select File to Save");
    EXPECT_EQ(asked.filter, "Text Files (*.txt)|*.txt");
    EXPECT_EQ(asked.defaultName, "");
    EXPECT_EQ(asked.defaultExtension, "");
    EXPECT_EQ(testsupport::readBytes(path), "0\r\n0\r\n2\r\n2\r\n2\r\n");

    view.selectListEntry(List::Combo1, 9);
    settings::saveSettingsAs(view, files);
    EXPECT_EQ(testsupport::readBytes(path), "0\r\n0\r\n2\r\n2\r\n2\r\n");
    EXPECT_TRUE(view.messageBoxes().empty());
}

TEST(SettingsFilePath, IsTheProgramFolderAndTheFileName) {
#ifdef _WIN32
    EXPECT_EQ(settings::settingsFilePath("C:\\qorb"), "C:\\qorb\\avrbl.txt");
#else
    EXPECT_EQ(settings::settingsFilePath("/opt/qorb"), "/opt/qorb/avrbl.txt");
#endif
}

}  // namespace
