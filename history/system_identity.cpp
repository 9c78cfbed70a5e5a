#include "history/system_identity.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>

#include "pointsfile/utf8_path.h"
#else
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "history/download_facts.h"
#endif

namespace history {

#ifdef _WIN32

namespace {

std::string utf8Of(const wchar_t* text) {
    return pointsfile::utf8OfPath(std::filesystem::path(text));
}

}  // namespace

SystemIdentity systemIdentity() {
    SystemIdentity identity;
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 256] = {};
    DWORD hostSize = static_cast<DWORD>(std::size(host));
    if (GetComputerNameExW(ComputerNameDnsHostname, host, &hostSize)) {
        identity.host = utf8Of(host);
    }
    wchar_t account[257] = {};  // UNLEN + 1
    DWORD accountSize = static_cast<DWORD>(std::size(account));
    if (GetUserNameW(account, &accountSize)) {
        identity.account = utf8Of(account);
    }
    return identity;
}

#else

SystemIdentity systemIdentity() {
    SystemIdentity identity;
    char host[HOST_NAME_MAX + 1] = {};
    // Names are bytes on Linux; the stores take them as UTF-8.
    if (gethostname(host, sizeof host - 1) == 0) {
        identity.host = storedUtf8(host);
    }
    // The effective user's, who writes the files; a uid the system cannot name is kept as its
    // number.
    const uid_t uid = geteuid();
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        identity.account = storedUtf8(found->pw_name);
    } else {
        identity.account = std::to_string(uid);
    }
    return identity;
}

#endif

}  // namespace history
