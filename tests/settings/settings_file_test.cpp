#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/save_command.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"
#include "view/view_error.h"

namespace {

using view::CheckBox;

// Lists filled; refuses the statistics box on request, so a save fails after its third line.
struct SettingsView : testsupport::FakeView {
    SettingsView() { serial::FillPortLists(*this); }
    std::int16_t checkBoxValue(CheckBox box) const override {
        if (m_refuseStatistics && box == CheckBox::chkIncludeStatistics) {
            throw view::RefusedValue("chkIncludeStatistics", 9);
        }
        return FakeView::checkBoxValue(box);
    }
    bool m_refuseStatistics = false;
};

// The boxes start clear and no box item that loads is 0, so a box the load leaves alone shows.
TEST(SettingsFileTest, LoadAssignsEachValueUntilTheFirstFailureThenFallsBackSilently) {
    const testsupport::TempFolder folder;
    pointsfile::FileTable files;
    const std::pair<const char*, std::vector<int>> cases[] = {
        {nullptr, {0, 3, 0, 0, 0}},
        {"2\r\n3\r\n1\r\n2\r\n1\r\n", {2, 3, 1, 2, 1}},
        {"-1\r\n-1\r\n2\r\n1\r\n2\r\n9\r\nrubbish\r\n", {-1, -1, 2, 1, 2}},
        {"  7,2 ,\t1\n2\r1", {7, 2, 1, 2, 1}},
        {"007\r\n5\r\n1\r\n5\r\n0\r\n", {0, 3, 1, 0, 0}},
        {"5\r\n1\r\n", {0, 3, 0, 0, 0}},
        {"8\r\n\r\n1\r\n1\r\n1\r\n", {0, 3, 0, 0, 0}},
        {"8\r\n+4\r\n", {0, 3, 0, 0, 0}},
        {"70000\r\n", {0, 3, 0, 0, 0}},
    };
    for (const auto& [content, shown] : cases) {
        SettingsView view;
        testsupport::writeBytes(folder.file("avrbl.txt"), content ? content : "");
        settings::LoadSettings(view, files, folder.file(content ? "avrbl.txt" : "none"));
        const std::vector<int> values = {view.selectedListIndex(view::List::Combo1),
                                         view.selectedListIndex(view::List::Combo2),
                                         view.checkBoxValue(CheckBox::chkIncludeDeletedItem),
                                         view.checkBoxValue(CheckBox::chkIncludeStatistics),
                                         view.checkBoxValue(CheckBox::CheckUseSpaceDelimiters)};
        EXPECT_EQ(values, shown) << (content ? content : "(no file)");
        EXPECT_TRUE(!files.isOpen(1) && view.messageBoxes().empty());
    }
}

// Number 1 held by a transfer's points file: the save fails at its open and leaves both files
// alone. A failure in mid-save keeps the lines before it and frees the number.
TEST(SettingsFileTest, SaveWritesFiveDecimalLinesOrSaysOnceWhyNot) {
    const testsupport::TempFolder folder;
    pointsfile::FileTable files;
    const std::string path = folder.file("avrbl.txt");
    const std::pair<int, const char*> cases[] = {{0, "-1\r\n3\r\n0\r\n1\r\n0\r\n"},
                                                 {1, "-1\r\n3\r\n0\r\n"},
                                                 {2, "an earlier and longer content\r\n"}};
    for (const auto& [failure, bytes] : cases) {
        SettingsView view;
        view.selectListEntry(view::List::Combo2, 3);
        view.setCheckBoxValue(CheckBox::chkIncludeStatistics, 1);
        view.m_refuseStatistics = failure == 1;
        testsupport::writeBytes(path, "an earlier and longer content\r\n");
        if (failure == 2) {
            files.openForWriting(1, folder.file("MemoryPoints.txt"));
        }
        view.answerNextDialog(path);
        settings::saveSettingsAs(view, files);
        settings::saveSettingsAs(view, files);  // cancelled: nothing written, nothing shown
        EXPECT_EQ(testsupport::readBytes(path), bytes);
        EXPECT_EQ(files.isOpen(1), failure == 2);
        files.close(1);
        EXPECT_EQ(view.messageBoxes().size(), failure ? 1u : 0u);
        for (const auto& [text, icon] : view.messageBoxes()) {
            EXPECT_EQ(text, "An error occured while saving file " + path);
            EXPECT_EQ(icon, view::MessageIcon::Exclamation);
        }
    }
    EXPECT_EQ(testsupport::readBytes(folder.file("MemoryPoints.txt")), "");
}

}  // namespace
