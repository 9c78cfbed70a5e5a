// The settings file on arbitrary content: the item reader yields the items a plain reading of the
// text finds, a load sets exactly what that reading predicts, gives file number 1 back and shows
// nothing, and what a save writes loads back to the same state.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "pointsfile/file_table.h"
#include "serial/port_selection.h"
#include "settings/item_reader.h"
#include "settings/settings_file.h"
#include "support/fake_view.h"

namespace {

constexpr std::array<view::CheckBox, 3> kBoxes = {view::CheckBox::chkIncludeDeletedItem,
                                                  view::CheckBox::chkIncludeStatistics,
                                                  view::CheckBox::CheckUseSpaceDelimiters};

// A folder in memory where one exists, so the sync of every save costs little.
std::string scratchPath(std::string_view name) {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path shm = "/dev/shm";
        std::filesystem::path base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        base /= "qorb-settings-fuzz-" + std::to_string(::getpid());
        std::filesystem::create_directories(base);
        return base;
    }();
    return (folder / name).string();
}

void writeFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    FUZZ_CHECK(static_cast<bool>(out));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The items of a settings text as the file format describes them, read independently of the
// program's reader.
class PlainItems {
public:
    explicit PlainItems(std::string_view text) : m_text(text) {}

    // The next item's value; nothing when the text ends before it or the item is no value.
    std::optional<std::int16_t> next() {
        if (m_afterCarriageReturn && m_pos < m_text.size() && m_text[m_pos] == '\n') {
            ++m_pos;
        }
        m_afterCarriageReturn = false;
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) {
            ++m_pos;
        }
        const std::size_t end = std::min(m_text.find_first_of(",\r\n", m_pos), m_text.size());
        std::string_view item = m_text.substr(m_pos, end - m_pos);
        if (end == m_text.size() && item.empty()) {
            return std::nullopt;
        }
        m_afterCarriageReturn = end < m_text.size() && m_text[end] == '\r';
        m_pos = end < m_text.size() ? end + 1 : end;

        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) {
            item.remove_suffix(1);
        }
        const bool negative = item.starts_with('-');
        if (negative) {
            item.remove_prefix(1);
        }
        if (item.empty()) {
            return std::nullopt;
        }
        long value = 0;
        for (char c : item) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = std::min(value * 10 + (c - '0'), 100000L);
        }
        value = negative ? -value : value;
        if (value < -32768 || value > 32767) {
            return std::nullopt;
        }
        return static_cast<std::int16_t>(value);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_afterCarriageReturn = false;
};

struct Choices {
    std::int16_t port = 0;
    std::int16_t baud = 0;
    std::array<std::int16_t, 3> boxes{};

    bool operator==(const Choices&) const = default;
};

Choices choicesOf(const testsupport::FakeView& view) {
    Choices choices;
    choices.port = view.selectedListIndex(view::List::Combo1);
    choices.baud = view.selectedListIndex(view::List::Combo2);
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        choices.boxes[i] = view.checkBoxValue(kBoxes[i]);
    }
    return choices;
}

// What a load of the text leaves on a window that showed `before`.
Choices expectedLoad(std::string_view text, Choices before) {
    PlainItems items(text);
    Choices after = before;
    const auto fallback = [&after] {
        after.port = settings::kFallbackPortIndex;
        after.baud = settings::kFallbackBaudIndex;
        return after;
    };
    const std::optional<std::int16_t> port = items.next();
    if (!port || *port < -1 || *port > 15) {
        return fallback();
    }
    after.port = *port;
    const std::optional<std::int16_t> baud = items.next();
    if (!baud || *baud < -1 || *baud > 5) {
        return fallback();
    }
    after.baud = *baud;
    for (std::int16_t& box : after.boxes) {
        const std::optional<std::int16_t> value = items.next();
        if (!value || *value < 0 || *value > 2) {
            return fallback();
        }
        box = *value;
    }
    return after;
}

// The window as start-up leaves it before the load: both lists filled, index 0 selected.
void prepareWindow(testsupport::FakeView& view, const std::array<std::int16_t, 3>& boxes) {
    serial::FillPortLists(view);
    view.selectListEntry(view::List::Combo1, 0);
    view.selectListEntry(view::List::Combo2, 0);
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        view.setCheckBoxValue(kBoxes[i], boxes[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the check boxes' states before the load; the rest is the file.
    if (size == 0) {
        return 0;
    }
    std::array<std::int16_t, 3> boxesBefore{};
    for (unsigned states = data[0]; std::int16_t & box : boxesBefore) {
        box = static_cast<std::int16_t>(states % 3);
        states /= 3;
    }
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string path = scratchPath("avrbl.txt");
    writeFile(path, content);

    pointsfile::FileTable files;

    // The reader item by item, until it refuses one.
    files.openForReading(pointsfile::FileTable::kSettingsFileNumber, path);
    {
        settings::ItemReader reader(files, pointsfile::FileTable::kSettingsFileNumber, path);
        PlainItems plain(content);
        for (int i = 0; i < 64; ++i) {
            const std::optional<std::int16_t> expected = plain.next();
            std::optional<std::int16_t> read;
            try {
                read = reader.next();
            } catch (const settings::SettingsReadError& error) {
                FUZZ_CHECK(std::string_view(error.what()).starts_with(path));
            }
            FUZZ_CHECK(read == expected);
            if (!read) {
                break;
            }
        }
    }
    files.close(pointsfile::FileTable::kSettingsFileNumber);

    testsupport::FakeView view;
    prepareWindow(view, boxesBefore);
    const Choices before = choicesOf(view);
    settings::LoadSettings(view, files, path);
    const Choices loaded = choicesOf(view);
    FUZZ_CHECK(loaded == expectedLoad(content, before));
    FUZZ_CHECK(!files.isOpen(pointsfile::FileTable::kSettingsFileNumber));
    FUZZ_CHECK(view.messageBoxes().empty());

    // What a save writes is five plain lines that load back to the same window.
    const std::string copy = scratchPath("copy.txt");
    settings::SaveSettings(view, files, copy);
    FUZZ_CHECK(view.messageBoxes().empty());
    FUZZ_CHECK(!files.isOpen(pointsfile::FileTable::kSettingsFileNumber));
    std::string lines;
    for (std::int16_t value :
         {loaded.port, loaded.baud, loaded.boxes[0], loaded.boxes[1], loaded.boxes[2]}) {
        lines += std::to_string(value) + "\r\n";
    }
    FUZZ_CHECK(readFile(copy) == lines);

    testsupport::FakeView again;
    prepareWindow(again, {});
    settings::LoadSettings(again, files, copy);
    FUZZ_CHECK(choicesOf(again) == loaded);
    return 0;
}
