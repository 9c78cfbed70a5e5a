#include "workbook/c_library.h"

#include <clocale>

#ifdef _WIN32
#include <windows.h>
#endif

namespace workbook {

#ifdef _WIN32
namespace {

std::optional<std::string> inAnsiCodePage(const std::wstring& wide) {
    const UINT page = GetACP();
    // UTF-8 as the ANSI code page holds every name and takes no best-fit flag.
    const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyAnswer = page == CP_UTF8 ? nullptr : &lossy;
    const int size =
        WideCharToMultiByte(page, flags, wide.c_str(), -1, nullptr, 0, nullptr, lossyAnswer);
    if (size <= 0 || lossy) {
        return std::nullopt;
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(page, flags, wide.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

}  // namespace
#endif

std::optional<std::string> nameForCLibrary(const std::filesystem::path& existing) {
#ifdef _WIN32
    if (std::optional<std::string> narrow = inAnsiCodePage(existing.wstring())) {
        return narrow;
    }
    const DWORD size = GetShortPathNameW(existing.c_str(), nullptr, 0);
    std::wstring shortName(size, L'\0');
    if (size == 0 || GetShortPathNameW(existing.c_str(), shortName.data(), size) + 1 != size) {
        return std::nullopt;
    }
    shortName.pop_back();
    return inAnsiCodePage(shortName);
#else
    return existing.string();
#endif
}

CNumericLocale::CNumericLocale() : m_previous(std::setlocale(LC_NUMERIC, nullptr)) {
    std::setlocale(LC_NUMERIC, "C");
}

CNumericLocale::~CNumericLocale() {
    std::setlocale(LC_NUMERIC, m_previous.c_str());
}

}  // namespace workbook
