// The settings file on arbitrary content: the item reader reads to its end throwing nothing but
// its own error; a load shows no box, gives file number 1 back, and saves what loads back the same.
#include <array>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/item_reader.h"
#include "settings/settings_file.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

// What the window shows after a load of the file (port, baud, the boxes in file order), which it
// then saves to path.copy.
std::array<std::int16_t, 5> loadAndSave(const std::string& path) {
    testsupport::FakeView view;
    pointsfile::FileTable files;
    serial::FillPortLists(view);
    settings::LoadSettings(view, files, path);
    settings::SaveSettings(view, files, path + ".copy");
    FUZZ_CHECK(!files.isOpen(1) && view.messageBoxes().empty());
    using view::CheckBox;
    return {view.selectedListIndex(view::List::Combo1), view.selectedListIndex(view::List::Combo2),
            view.checkBoxValue(CheckBox::chkIncludeDeletedItem),
            view.checkBoxValue(CheckBox::chkIncludeStatistics),
            view.checkBoxValue(CheckBox::CheckUseSpaceDelimiters)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testsupport::TempFolder folder;
    static const std::string path = folder.file("avrbl.txt");
    testsupport::writeBytes(path, std::string(reinterpret_cast<const char*>(data), size));
    pointsfile::FileTable files;
    files.openForReading(1, path);
    try {
        for (settings::ItemReader reader(files, 1, path);;) {
            reader.next();
        }
    } catch (const settings::SettingsReadError&) {  // any other escapes as a finding
    }
    const auto shown = loadAndSave(path);
    FUZZ_CHECK(loadAndSave(path + ".copy") == shown);
    return 0;
}
