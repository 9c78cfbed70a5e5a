#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pointsfile {

// The name under which a file written is the program's standard output.
inline constexpr std::string_view kStandardOutputName = "-";

// The program's numbered open files. The settings file always uses number 1; the points file
// takes the lowest free number, so while a transfer holds 1 a settings load or save fails at its
// open and leaves the points file alone. Files still open are closed when the table goes.
class FileTable {
public:
    static constexpr std::int16_t kSettingsFileNumber = 1;

    FileTable() = default;
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;
    ~FileTable();

    // The lowest number from 1 that no open file holds.
    std::int16_t freeFileNumber() const;

    // Creates the file or empties it. Throws FileError when the number is in use or the system
    // refuses the path.
    void openForWriting(std::int16_t number, const std::string& path);
    void openForReading(std::int16_t number, const std::string& path);

    // Writes the text and CR LF and hands both to the system at once, so a crash later keeps
    // every line written before it.
    void writeLine(std::int16_t number, std::string_view text);
    // The next byte, or nothing at the end of the file.
    std::optional<char> readByte(std::int16_t number);

    // Syncs a written file to disk and closes it; a number that is not open is ignored. The
    // number is free afterwards even when the close throws.
    void close(std::int16_t number);
    void closeAll() noexcept;

    bool isOpen(std::int16_t number) const { return m_files.count(number) != 0; }

private:
    struct OpenFile {
        std::FILE* stream = nullptr;
        std::string path;
        bool writing = false;
    };

    void open(std::int16_t number, const std::string& path, bool writing);
    OpenFile& openFile(std::int16_t number);

    std::map<std::int16_t, OpenFile> m_files;
};

}  // namespace pointsfile
