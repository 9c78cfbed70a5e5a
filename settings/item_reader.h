#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pointsfile {
class FileTable;
}

namespace settings {

// An item of the settings file could not be read: the file ended or the item is no 16-bit
// decimal integer. The message names the path and the item.
class SettingsReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Digits with an optional leading "-" and blanks after them, within -32768 to 32767; anything
// else (a "+", a decimal point, letters, nothing) is not a value.
std::optional<std::int16_t> parseItem(std::string_view item);

// Reads the values of a file open under a number, one item at a time. Items end at a comma, a
// line end (CR, LF or CR LF) or the end of the file; blanks before an item are skipped. Nothing
// past the end of the last item asked for is read.
class ItemReader {
public:
    ItemReader(pointsfile::FileTable& files, std::int16_t fileNumber, std::string path);

    // Throws SettingsReadError, or the table's FileError when the system fails the read.
    std::int16_t next();

private:
    pointsfile::FileTable& m_files;
    std::int16_t m_fileNumber;
    std::string m_path;
    int m_itemsRead = 0;
    // The LF of a CR LF belongs to the item before it and is dropped at the next read.
    bool m_afterCarriageReturn = false;
};

}  // namespace settings
