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

using testsupport::readBytes;
using view::CheckBox;
using view::List;

constexpr CheckBox kBoxes[] = {CheckBox::chkIncludeDeletedItem, CheckBox::chkIncludeStatistics,
                               CheckBox::CheckUseSpaceDelimiters};

// Greyed boxes, which no test file holds, so an untouched box shows.
void prepare(testsupport::FakeView& view, std::int16_t port, std::int16_t baud) {
    serial::FillPortLists(view);
    view.selectListEntry(List::Combo1, port);
    view.selectListEntry(List::Combo2, baud);
    for (CheckBox box : kBoxes) {
        view.setCheckBoxValue(box, 2);
    }
}

class SettingsFileTest : public testing::Test {
protected:
    testsupport::FakeView view;
    pointsfile::FileTable files;
    testsupport::TempFolder folder;
    std::string path = folder.file("avrbl.txt");
};

TEST_F(SettingsFileTest, LoadAssignsEachValueUntilTheFirstFailureThenFallsBackSilently) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {nullptr, {0, 3, 2, 2, 2}},
        {"2\r\n3\r\n0\r\n1\r\n0\r\n", {2, 3, 0, 1, 0}},
        {"-1\r\n-1\r\n1\r\n0\r\n1\r\n9\r\nrubbish\r\n", {-1, -1, 1, 0, 1}},
        {"  7,2 ,\t1\n0\r1", {7, 2, 1, 0, 1}},
        {"007\r\n5\r\n1\r\n5\r\n0\r\n", {0, 3, 1, 2, 2}},
        {"20\r\n1\r\n0\r\n1\r\n0\r\n", {0, 3, 2, 2, 2}},
        {"5\r\n1\r\n", {0, 3, 2, 2, 2}},
        {"8\r\n\r\n0\r\n1\r\n1\r\n", {0, 3, 2, 2, 2}},
        {"8\r\n+4\r\n", {0, 3, 2, 2, 2}},
        {"8\r\n4\r\n1.0\r\n", {0, 3, 2, 2, 2}},
        {"70000\r\n", {0, 3, 2, 2, 2}},
    };
    for (const auto& [content, shown] : cases) {
        testsupport::FakeView loaded;
        prepare(loaded, 0, 0);
        if (content != nullptr) {
            testsupport::writeBytes(path, content);
        }
        settings::LoadSettings(loaded, files, content ? path : folder.file("none"));
        std::vector<int> values = {loaded.selectedListIndex(List::Combo1),
                                   loaded.selectedListIndex(List::Combo2)};
        for (CheckBox box : kBoxes) {
            values.push_back(loaded.checkBoxValue(box));
        }
        EXPECT_EQ(values, shown) << (content ? content : "(no file)");
        EXPECT_FALSE(files.isOpen(1));
        EXPECT_TRUE(loaded.messageBoxes().empty());
    }
}

TEST_F(SettingsFileTest, SaveAsksOnceAndWritesFiveDecimalLinesReplacingTheFile) {
    prepare(view, 2, -1);
    view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 0);
    testsupport::writeBytes(path, "a much longer earlier content\r\n");
    view.answerNextDialog(path);
    settings::saveSettingsAs(view, files);
    ASSERT_EQ(view.dialogsShown().size(), 1u);
    EXPECT_EQ(view.dialogsShown()[0].request.title, "Select File to Save");
    EXPECT_EQ(view.dialogsShown()[0].request.filter, "Text Files (*.txt)|*.txt");
    EXPECT_EQ(readBytes(path), "2\r\n-1\r\n2\r\n0\r\n2\r\n");
    settings::saveSettingsAs(view, files);  // cancelled: nothing written, nothing shown
    EXPECT_EQ(readBytes(path), "2\r\n-1\r\n2\r\n0\r\n2\r\n");
    EXPECT_TRUE(view.messageBoxes().empty());
    EXPECT_FALSE(files.isOpen(1));
}

TEST_F(SettingsFileTest, SaveWhileATransferHoldsNumberOneLeavesItsFileAlone) {
    prepare(view, 0, 0);
    const std::string points = folder.file("MemoryPoints.txt");
    files.openForWriting(1, points);
    files.writeLine(1, "1\t2.5");
    settings::SaveSettings(view, files, path);
    ASSERT_EQ(view.messageBoxes().size(), 1u);
    EXPECT_EQ(view.messageBoxes()[0].text, "An error occured while saving file " + path);
    EXPECT_EQ(view.messageBoxes()[0].icon, view::MessageIcon::Exclamation);
    EXPECT_FALSE(std::filesystem::exists(path));
    files.writeLine(1, "2\t3.5");
    files.close(1);
    EXPECT_EQ(readBytes(points), "1\t2.5\r\n2\t3.5\r\n");
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

TEST_F(SettingsFileTest, FailedWriteKeepsEarlierLinesSaysSoAndFreesNumberOne) {
    ViewFailingOnStatistics failing;
    prepare(failing, 4, 5);
    settings::SaveSettings(failing, files, path);
    EXPECT_EQ(readBytes(path), "4\r\n5\r\n2\r\n");
    ASSERT_EQ(failing.messageBoxes().size(), 1u);
    EXPECT_EQ(failing.messageBoxes()[0].text, "An error occured while saving file " + path);
    EXPECT_FALSE(files.isOpen(1));
}

}  // namespace
