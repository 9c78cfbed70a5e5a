// The settings file on arbitrary content: the reader yields the items a plain reading of the text
// finds, a load sets exactly what that reading predicts, gives file number 1 back and shows
// nothing, and what a save writes loads back to the same window.
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
#include "settings/item_reader.h"
#include "settings/settings_file.h"
#include "support/fake_view.h"
#include "support/temp_folder.h"

namespace {

constexpr std::array<view::CheckBox, 3> kBoxes = {view::CheckBox::chkIncludeDeletedItem,
                                                  view::CheckBox::chkIncludeStatistics,
                                                  view::CheckBox::CheckUseSpaceDelimiters};
using Window = std::array<std::int16_t, 5>;  // port index, baud index, the boxes in file order

// A folder in memory where there is one, so the sync of every save costs little.
std::string scratchPath(const std::string& name) {
    static const std::filesystem::path folder = [] {
        const bool shm = std::filesystem::is_directory("/dev/shm");
        auto base =
            (shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
            ("qorb-settings-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(base);
        return base;
    }();
    return (folder / name).string();
}

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

Window windowOf(const testsupport::FakeView& view) {
    Window window{view.selectedListIndex(view::List::Combo1),
                  view.selectedListIndex(view::List::Combo2)};
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        window[i + 2] = view.checkBoxValue(kBoxes[i]);
    }
    return window;
}

// The window as start-up leaves it before the load: both lists filled, index 0 selected.
void prepare(testsupport::FakeView& view, unsigned boxStates) {
    serial::FillPortLists(view);
    view.selectListEntry(view::List::Combo1, 0);
    view.selectListEntry(view::List::Combo2, 0);
    for (view::CheckBox box : kBoxes) {
        view.setCheckBoxValue(box, static_cast<std::int16_t>(boxStates % 3));
        boxStates /= 3;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the check boxes' states before the load; the rest is the file.
    if (size == 0) {
        return 0;
    }
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string path = scratchPath("avrbl.txt");
    testsupport::writeBytes(path, content);
    pointsfile::FileTable files;
    constexpr std::int16_t kNumber = pointsfile::FileTable::kSettingsFileNumber;

    // What a load should leave: each item in its range assigned in turn, until one fails.
    testsupport::FakeView view;
    prepare(view, data[0]);
    Window expected = windowOf(view);
    const std::array<std::pair<int, int>, 5> ranges = {{{-1, 15}, {-1, 5}, {0, 2}, {0, 2}, {0, 2}}};
    files.openForReading(kNumber, path);
    settings::ItemReader reader(files, kNumber, path);
    std::size_t pos = 0;
    bool fallback = false;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::optional<std::int16_t> plain = nextPlainItem(content, pos);
        std::optional<std::int16_t> read;
        try {
            read = reader.next();
        } catch (const settings::SettingsReadError& error) {
            FUZZ_CHECK(std::string_view(error.what()).starts_with(path));
        }
        FUZZ_CHECK(read == plain);
        if (i < ranges.size() && !fallback) {
            fallback = !read || *read < ranges[i].first || *read > ranges[i].second;
            expected[i] = fallback ? expected[i] : *read;
        }
        if (!read) {
            break;
        }
    }
    files.close(kNumber);
    if (fallback) {
        expected[0] = settings::kFallbackPortIndex;
        expected[1] = settings::kFallbackBaudIndex;
    }
    settings::LoadSettings(view, files, path);
    FUZZ_CHECK(windowOf(view) == expected);
    FUZZ_CHECK(!files.isOpen(kNumber) && view.messageBoxes().empty());

    // A save writes five plain lines that load back to the same window.
    const std::string copy = scratchPath("copy.txt");
    settings::SaveSettings(view, files, copy);
    std::string lines;
    for (std::int16_t value : expected) {
        lines += std::to_string(value) + "\r\n";
    }
    FUZZ_CHECK(testsupport::readBytes(copy) == lines && view.messageBoxes().empty());
    testsupport::FakeView again;
    prepare(again, 0);
    settings::LoadSettings(again, files, copy);
    FUZZ_CHECK(windowOf(again) == expected && !files.isOpen(kNumber));
    return 0;
}
