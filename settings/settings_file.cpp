#include "settings/settings_file.h"

#include <array>
#include <exception>

#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/item_reader.h"
#include "view/view.h"

namespace settings {

static_assert(serial::kBaudEntries[kFallbackBaudIndex] == "38400");

namespace {

constexpr std::int16_t kFileNumber = pointsfile::FileTable::kSettingsFileNumber;

// The file's lines after the two list selections, in order.
constexpr std::array<view::CheckBox, 3> kCheckBoxLines = {view::CheckBox::chkIncludeDeletedItem,
                                                          view::CheckBox::chkIncludeStatistics,
                                                          view::CheckBox::CheckUseSpaceDelimiters};

void selectFallback(view::View& view) {
    view.selectListEntry(view::List::Combo1, kFallbackPortIndex);
    view.selectListEntry(view::List::Combo2, kFallbackBaudIndex);
}

// Gives file number 1 back however a load or save ends, even when the view throws on the way. A
// close that fails frees the number all the same, and once freed it is never closed again: a
// transfer may have taken it while the save error was on screen.
class SettingsFileCloser {
public:
    explicit SettingsFileCloser(pointsfile::FileTable& files) : m_files(files) {}
    SettingsFileCloser(const SettingsFileCloser&) = delete;
    SettingsFileCloser& operator=(const SettingsFileCloser&) = delete;
    ~SettingsFileCloser() {
        try {
            close();
        } catch (const std::exception&) {
        }
    }

    void close() {
        if (m_open) {
            m_open = false;
            m_files.close(kFileNumber);
        }
    }

private:
    pointsfile::FileTable& m_files;
    bool m_open = true;
};

}  // namespace

void LoadSettings(view::View& view, pointsfile::FileTable& files, const std::string& path) {
    try {
        files.openForReading(kFileNumber, path);
    } catch (const std::exception&) {
        selectFallback(view);
        return;
    }
    const SettingsFileCloser closer(files);
    try {
        ItemReader reader(files, kFileNumber, path);
        view.selectListEntry(view::List::Combo1, reader.next());
        view.selectListEntry(view::List::Combo2, reader.next());
        for (view::CheckBox box : kCheckBoxLines) {
            view.setCheckBoxValue(box, reader.next());
        }
    } catch (const std::exception&) {
        selectFallback(view);
    }
}

void SaveSettings(view::View& view, pointsfile::FileTable& files, const std::string& path) {
    const std::string message = std::string(kSaveErrorMessage) + path;
    try {
        files.openForWriting(kFileNumber, path);
    } catch (const std::exception&) {
        // The number may belong to a running transfer's points file: leave it alone.
        view.showMessageBox(message, view::MessageIcon::Exclamation);
        return;
    }
    SettingsFileCloser closer(files);
    try {
        files.writeLine(kFileNumber, std::to_string(view.selectedListIndex(view::List::Combo1)));
        files.writeLine(kFileNumber, std::to_string(view.selectedListIndex(view::List::Combo2)));
        for (view::CheckBox box : kCheckBoxLines) {
            files.writeLine(kFileNumber, std::to_string(view.checkBoxValue(box)));
        }
        closer.close();
    } catch (const std::exception&) {
        view.showMessageBox(message, view::MessageIcon::Exclamation);
    }
}

}  // namespace settings
