#include "pointsfile/file_table.h"

#include <cerrno>
#include <cstring>

#include "pointsfile/file_error.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace pointsfile {

namespace {

std::string systemReason(int error) {
    return error != 0 ? std::strerror(error) : "unknown error";
}

// Through a descriptor of its own: opening the output again by a name such as /dev/stdout would
// empty a file that it is appended to.
std::FILE* openStandardOutput() {
#ifdef _WIN32
    const int fd = _dup(_fileno(stdout));
    if (fd >= 0) {
        _setmode(fd, _O_BINARY);
    }
    std::FILE* stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (stream == nullptr && fd >= 0) {
        _close(fd);
    }
#else
    const int fd = dup(STDOUT_FILENO);
    std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (stream == nullptr && fd >= 0) {
        ::close(fd);
    }
#endif
    return stream;
}

std::FILE* openStream(const std::string& path, bool writing) {
    if (writing && path == kStandardOutputName) {
        return openStandardOutput();
    }
#ifdef _WIN32
    // Paths are UTF-8 in the program; Windows takes them as UTF-16.
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    }
    return _wfopen(wide.c_str(), writing ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), writing ? "wb" : "rb");
#endif
}

// Devices and pipes cannot be synced; only a failed sync of a real file loses data.
bool syncToDisk(std::FILE* stream) {
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0 || errno == EBADF;
#else
    return fsync(fileno(stream)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

}  // namespace

FileTable::~FileTable() {
    closeAll();
}

std::int16_t FileTable::freeFileNumber() const {
    std::int16_t number = 1;
    while (isOpen(number)) {
        ++number;
    }
    return number;
}

void FileTable::openForWriting(std::int16_t number, const std::string& path) {
    open(number, path, true);
}

void FileTable::openForReading(std::int16_t number, const std::string& path) {
    open(number, path, false);
}

void FileTable::open(std::int16_t number, const std::string& path, bool writing) {
    const std::string action = writing ? "open for writing" : "open for reading";
    if (isOpen(number)) {
        throw FileError(path, "file number " + std::to_string(number) + " is in use", action);
    }
    if (path.empty()) {
        throw FileError(path, "no file name given", action);
    }
    errno = 0;
    std::FILE* stream = openStream(path, writing);
    if (stream == nullptr) {
        throw FileError(path, systemReason(errno), action);
    }
    m_files[number] = OpenFile{stream, path, writing};
}

FileTable::OpenFile& FileTable::openFile(std::int16_t number) {
    auto found = m_files.find(number);
    if (found == m_files.end()) {
        throw FileError("file number " + std::to_string(number), "not open", "use");
    }
    return found->second;
}

void FileTable::writeLine(std::int16_t number, std::string_view text) {
    OpenFile& file = openFile(number);
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.stream) == text.size() &&
                         std::fwrite("\r\n", 1, 2, file.stream) == 2 &&
                         std::fflush(file.stream) == 0;
    if (!written) {
        const int error = errno;
        std::clearerr(file.stream);
        throw FileError(file.path, systemReason(error), "write to");
    }
}

std::optional<char> FileTable::readByte(std::int16_t number) {
    OpenFile& file = openFile(number);
    errno = 0;
    const int c = std::fgetc(file.stream);
    if (c == EOF) {
        if (std::ferror(file.stream)) {
            throw FileError(file.path, systemReason(errno), "read");
        }
        return std::nullopt;
    }
    return static_cast<char>(c);
}

void FileTable::close(std::int16_t number) {
    auto found = m_files.find(number);
    if (found == m_files.end()) {
        return;
    }
    const OpenFile file = found->second;
    m_files.erase(found);
    errno = 0;
    bool closed = true;
    int error = 0;
    if (file.writing && (std::fflush(file.stream) != 0 || !syncToDisk(file.stream))) {
        closed = false;
        error = errno;
    }
    if (std::fclose(file.stream) != 0 && closed) {
        closed = false;
        error = errno;
    }
    if (!closed) {
        throw FileError(file.path, systemReason(error), "close");
    }
}

void FileTable::closeAll() noexcept {
    while (!m_files.empty()) {
        try {
            close(m_files.begin()->first);
        } catch (...) {
            // The program is ending; a file that fails to close now has nobody left to tell.
        }
    }
}

}  // namespace pointsfile
