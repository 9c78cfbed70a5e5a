#include "serial/port_observation.h"

#include "serial/port_device.h"

#ifdef __linux__
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#endif

namespace serial {

#ifdef __linux__

namespace {

namespace fs = std::filesystem;

// The USB serial adapters that brltty's device rules claim for Braille displays: CH340, CP210x
// and FTDI's FT232.
constexpr std::array<std::string_view, 3> kBrlttyClaims = {"1a86:7523", "10c4:ea60", "0403:6001"};

// Qt's and the uucp programs' lock files for a device live in one of these.
constexpr std::array<std::string_view, 7> kLockFolders = {
    "/var/lock",        "/run/lock",       "/tmp",      "/var/tmp",
    "/var/spool/locks", "/var/spool/uucp", "/etc/locks"};

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string groupName(gid_t gid) {
    const group* entry = ::getgrgid(gid);
    return entry != nullptr ? entry->gr_name : std::to_string(gid);
}

std::vector<std::string> groupNames(const std::vector<gid_t>& ids) {
    std::vector<std::string> names;
    names.reserve(ids.size());
    for (gid_t id : ids) {
        names.push_back(groupName(id));
    }
    return names;
}

std::vector<std::string> processGroups() {
    std::vector<gid_t> ids(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    ids.resize(static_cast<std::size_t>(std::max(::getgroups(int(ids.size()), ids.data()), 0)));
    ids.push_back(::getegid());
    return groupNames(ids);
}

// The group database as it stands now, which a session started earlier does not yet reflect.
std::vector<std::string> accountGroups() {
    const passwd* account = ::getpwuid(::geteuid());
    if (account == nullptr) {
        return {};
    }
    int count = 32;
    std::vector<gid_t> ids;
    do {
        ids.resize(static_cast<std::size_t>(count));
    } while (::getgrouplist(account->pw_name, account->pw_gid, ids.data(), &count) < 0 &&
             count > int(ids.size()));
    ids.resize(static_cast<std::size_t>(std::max(count, 0)));
    return groupNames(ids);
}

bool isNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string processName(int pid) {
    return firstLine("/proc/" + std::to_string(pid) + "/comm");
}

void addHolder(std::vector<ProcessSeen>& holders, int pid) {
    const bool known = std::any_of(holders.begin(), holders.end(),
                                   [pid](const ProcessSeen& holder) { return holder.pid == pid; });
    if (!known) {
        holders.push_back({pid, processName(pid)});
    }
}

// The pseudo-terminal whose slave the device is, or -1: its master's holder is the line's far end
// (a simulated gauge), not a program competing for the port.
int ptyIndex(const struct stat& device) {
    const unsigned int kind = major(device.st_rdev);
    constexpr unsigned int kFirstPtsMajor = 136;
    constexpr unsigned int kLastPtsMajor = 143;
    if (kind < kFirstPtsMajor || kind > kLastPtsMajor) {
        return -1;
    }
    return static_cast<int>((kind - kFirstPtsMajor) * 256 + minor(device.st_rdev));
}

bool isPtyMaster(const fs::path& fdInfo, int index) {
    std::ifstream in(fdInfo);
    const std::string wanted = "tty-index:\t" + std::to_string(index);
    for (std::string line; std::getline(in, line);) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

// Every process whose open files this account may see, and whether brltty is among them.
void scanProcesses(PortObservation& seen, const struct stat* device) {
    const int pty = device != nullptr ? ptyIndex(*device) : -1;
    std::error_code error;
    for (const fs::directory_entry& process : fs::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        if (!isNumber(name)) {
            continue;
        }
        const int pid = std::stoi(name);
        seen.brlttyRunning = seen.brlttyRunning || processName(pid) == "brltty";
        if (device == nullptr) {
            continue;
        }
        bool holds = false;
        bool farEnd = false;
        std::error_code hidden;  // another account's files, or a process that just ended
        for (const fs::directory_entry& file :
             fs::directory_iterator(process.path() / "fd", hidden)) {
            struct stat opened {};
            if (::stat(file.path().c_str(), &opened) != 0 || !S_ISCHR(opened.st_mode)) {
                continue;
            }
            holds = holds || opened.st_rdev == device->st_rdev;
            farEnd =
                farEnd || (pty >= 0 && opened.st_rdev == makedev(5, 2) &&
                           isPtyMaster(process.path() / "fdinfo" / file.path().filename(), pty));
        }
        if (holds && !farEnd) {
            addHolder(seen.holders, pid);
        }
    }
}

// A lock file names its holder even when the holder's open files are hidden from this account.
void readLockFiles(PortObservation& seen) {
    std::string qtName = seen.device.starts_with("/dev/") ? seen.device.substr(5) : seen.device;
    std::replace(qtName.begin(), qtName.end(), '/', '_');
    const std::string names[] = {"LCK.." + qtName,
                                 "LCK.." + fs::path(seen.device).filename().string()};
    for (std::string_view folder : kLockFolders) {
        for (const std::string& name : names) {
            const std::string line = firstLine(fs::path(folder) / name);
            const std::size_t start = line.find_first_not_of(' ');
            if (start == std::string::npos ||
                !std::isdigit(static_cast<unsigned char>(line[start]))) {
                continue;
            }
            const long pid = std::strtol(line.c_str() + start, nullptr, 10);
            if (pid > 0 && pid < INT_MAX && (::kill(pid_t(pid), 0) == 0 || errno == EPERM)) {
                addHolder(seen.holders, int(pid));
            }
        }
    }
}

// Adapters of a kind brltty claims that have no serial port: the serial driver was unbound.
std::vector<std::string> claimedAdapters() {
    std::vector<std::string> claimed;
    const fs::path devices = "/sys/bus/usb/devices";
    std::error_code error;
    for (const fs::directory_entry& device : fs::directory_iterator(devices, error)) {
        const std::string name = device.path().filename().string();
        const std::string id =
            firstLine(device.path() / "idVendor") + ":" + firstLine(device.path() / "idProduct");
        if (std::find(kBrlttyClaims.begin(), kBrlttyClaims.end(), id) == kBrlttyClaims.end()) {
            continue;
        }
        bool hasPort = false;
        for (const fs::directory_entry& interface : fs::directory_iterator(devices, error)) {
            if (!interface.path().filename().string().starts_with(name + ":")) {
                continue;
            }
            std::error_code gone;
            for (const fs::directory_entry& child : fs::directory_iterator(interface, gone)) {
                const std::string child_name = child.path().filename().string();
                hasPort = hasPort || child_name == "tty" || child_name.starts_with("ttyUSB");
            }
        }
        if (!hasPort) {
            claimed.push_back(id);
        }
    }
    return claimed;
}

// The USB serial adapters by their lasting names; where udev makes none, by their device names.
std::vector<PortPresent> adaptersPresent() {
    std::vector<PortPresent> present;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/dev/serial/by-id", error)) {
        std::error_code dangling;
        const fs::path target = fs::canonical(entry.path(), dangling);
        present.push_back({entry.path().string(), dangling ? "missing" : target.string()});
    }
    if (present.empty()) {
        for (const fs::directory_entry& entry : fs::directory_iterator("/dev", error)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) {
                present.push_back({entry.path().string(), {}});
            }
        }
    }
    std::sort(present.begin(), present.end(), [](const PortPresent& a, const PortPresent& b) {
        return devicePathLess(a.name, b.name);
    });
    return present;
}

}  // namespace

void observeSystem(PortObservation& seen) {
    struct stat device {};
    seen.deviceExists = !seen.device.empty() && ::stat(seen.device.c_str(), &device) == 0;
    if (seen.deviceExists) {
        seen.mayReadWrite =
            ::faccessat(AT_FDCWD, seen.device.c_str(), R_OK | W_OK, AT_EACCESS) == 0 ||
            errno != EACCES;
        seen.deviceGroup = groupName(device.st_gid);
        seen.groupMayReadWrite = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
        seen.processGroups = processGroups();
        seen.accountGroups = accountGroups();
    }
    scanProcesses(seen, seen.deviceExists ? &device : nullptr);
    if (seen.deviceExists) {
        readLockFiles(seen);
    }
    if (seen.brlttyRunning) {
        seen.claimedAdapters = claimedAdapters();
    }
    seen.present = adaptersPresent();
}

#else

void observeSystem([[maybe_unused]] PortObservation& seen) {
#ifdef _WIN32
    seen.windows = true;
#endif
}

#endif

}  // namespace serial
