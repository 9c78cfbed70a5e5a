// The settings file on arbitrary content: a load sets exactly what a plain reading of the items
// predicts, gives file number 1 back and shows nothing, and what a save writes loads back to the
// same window.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/settings_file.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

constexpr std::array<view::CheckBox, 3> kBoxes = {view::CheckBox::chkIncludeDeletedItem,
                                                  view::CheckBox::chkIncludeStatistics,
                                                  view::CheckBox::CheckUseSpaceDelimiters};
using Window = std::array<std::int16_t, 5>;  // port index, baud index, the boxes in file order

// The items as the file format describes them: separated by commas, CR, LF or CR LF, blanks
// around them ignored, each a 16-bit decimal integer; nothing at the end or for any other item.
std::optional<std::int16_t> nextPlainItem(std::string_view text, std::size_t& pos) {
    if (pos > 0 && text[pos - 1] == '\r' && pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    const std::size_t end = std::min(text.find_first_of(",\r\n", pos), text.size());
    std::string_view item = text.substr(pos, end - pos);
    const bool atEnd = end == text.size();
    pos = atEnd ? end : end + 1;
    item.remove_prefix(std::min(item.find_first_not_of(" \t"), item.size()));
    item.remove_suffix(item.size() - (item.find_last_not_of(" \t") + 1));
    const std::string_view digits = item.substr(item.starts_with('-') ? 1 : 0);
    if ((atEnd && item.empty()) || digits.empty() ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : digits) {
        value = std::min(value * 10 + (c - '0'), 100000L);
    }
    value = item.starts_with('-') ? -value : value;
    return value >= -32768 && value <= 32767 ? std::optional<std::int16_t>(value) : std::nullopt;
}

// Loads the file into a window as start-up leaves it (both lists filled, index 0 selected, the
// boxes as given) and returns what the window shows then.
Window load(const std::string& path, unsigned boxStates) {
    testsupport::FakeView view;
    pointsfile::FileTable files;
    serial::FillPortLists(view);
    view.selectListEntry(view::List::Combo1, 0);
    view.selectListEntry(view::List::Combo2, 0);
    for (view::CheckBox box : kBoxes) {
        view.setCheckBoxValue(box, static_cast<std::int16_t>(boxStates % 3));
        boxStates /= 3;
    }
    settings::LoadSettings(view, files, path);
    FUZZ_CHECK(!files.isOpen(pointsfile::FileTable::kSettingsFileNumber));
    FUZZ_CHECK(view.messageBoxes().empty());
    Window window{view.selectedListIndex(view::List::Combo1),
                  view.selectedListIndex(view::List::Combo2)};
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        window[i + 2] = view.checkBoxValue(kBoxes[i]);
    }
    // A save writes five plain lines that load back to the same window.
    const std::string copy = path + ".copy";
    settings::SaveSettings(view, files, copy);
    std::string lines;
    for (std::int16_t value : window) {
        lines += std::to_string(value) + "\r\n";
    }
    FUZZ_CHECK(testsupport::readBytes(copy) == lines && view.messageBoxes().empty());
    return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the check boxes' states before the load; the rest is the file.
    if (size == 0) {
        return 0;
    }
    // In memory where it can be, so the sync of every save costs little.
    static const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                                    ? "/dev/shm"
                                                    : std::filesystem::temp_directory_path();
    static const std::string path =
        (folder / ("qorb-settings-fuzz-" + std::to_string(::getpid()))).string();
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    testsupport::writeBytes(path, content);

    // Each item in its range is assigned in turn until one fails; then the lists fall back.
    Window expected = {0, 0, std::int16_t(data[0] % 3), std::int16_t(data[0] / 3 % 3),
                       std::int16_t(data[0] / 9 % 3)};
    const std::array<std::pair<int, int>, 5> ranges = {{{-1, 15}, {-1, 5}, {0, 2}, {0, 2}, {0, 2}}};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::optional<std::int16_t> item = nextPlainItem(content, pos);
        if (!item || *item < ranges[i].first || *item > ranges[i].second) {
            expected[0] = settings::kFallbackPortIndex;
            expected[1] = settings::kFallbackBaudIndex;
            break;
        }
        expected[i] = *item;
    }
    const Window loaded = load(path, data[0]);
    FUZZ_CHECK(loaded == expected);
    FUZZ_CHECK(load(path + ".copy", 0) == expected);
    return 0;
}
