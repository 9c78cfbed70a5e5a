#include "settings/item_reader.h"

#include <charconv>
#include <utility>

#include "pointsfile/file_table.h"

namespace settings {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<std::int16_t> parseItem(std::string_view item) {
    while (!item.empty() && isBlank(item.back())) {
        item.remove_suffix(1);
    }
    const std::string_view digits = item.starts_with('-') ? item.substr(1) : item;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int16_t value = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || end != item.data() + item.size()) {
        return std::nullopt;
    }
    return value;
}

ItemReader::ItemReader(pointsfile::FileTable& files, std::int16_t fileNumber, std::string path)
    : m_files(files), m_fileNumber(fileNumber), m_path(std::move(path)) {}

std::int16_t ItemReader::next() {
    ++m_itemsRead;
    std::string item;
    bool endOfFile = true;
    bool dropLineFeed = m_afterCarriageReturn;
    m_afterCarriageReturn = false;
    while (const std::optional<char> byte = m_files.readByte(m_fileNumber)) {
        const char c = *byte;
        if (dropLineFeed) {
            dropLineFeed = false;
            if (c == '\n') {
                continue;
            }
        }
        if (item.empty() && isBlank(c)) {
            continue;
        }
        if (c == ',' || c == '\n' || c == '\r') {
            m_afterCarriageReturn = c == '\r';
            endOfFile = false;
            break;
        }
        item += c;
    }

    const std::string where = m_path + ", item " + std::to_string(m_itemsRead);
    if (endOfFile && item.empty()) {
        throw SettingsReadError(where + ": the file ends before it");
    }
    const std::optional<std::int16_t> value = parseItem(item);
    if (!value) {
        throw SettingsReadError(where + ": \"" + item + "\" is not a 16-bit decimal integer");
    }
    return *value;
}

}  // namespace settings
