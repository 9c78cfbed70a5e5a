#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace workbook {

// The name a C library's narrow file calls (fopen, stat, _open) can open an existing file or
// folder by. On Windows they read a name in the ANSI code page, not UTF-8: the name in that page
// when it holds the name, else the 8.3 short name; none when the volume keeps no short names.
// Elsewhere a name is its bytes.
std::optional<std::string> nameForCLibrary(const std::filesystem::path& existing);

// Numbers in the C locale while it lives: a C library's printf of a double follows LC_NUMERIC,
// which Qt sets on Linux from LANG or LC_ALL, so "12.5" would come out as "12,5" under a locale
// with a decimal comma.
class CNumericLocale {
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    std::string m_previous;
};

}  // namespace workbook
