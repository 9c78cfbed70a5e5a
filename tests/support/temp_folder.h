#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("qorb-test-" + std::to_string(std::random_device()()));
        } while (!std::filesystem::create_directory(m_path));  // taken by another test: again
    }
    ~TempFolder() {
        std::error_code ignored;  // a test may have taken the owner's rights away
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The path of a file in the folder as the program takes paths: UTF-8, whatever the code page.
    std::string file(const std::string& name) const {
        const std::u8string utf8 = (m_path / name).u8string();
        return std::string(utf8.begin(), utf8.end());
    }

private:
    std::filesystem::path m_path;
};

// The whole content of a file as bytes; empty when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}
inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace testsupport
