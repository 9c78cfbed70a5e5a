#include "serial/port_observation.h"

#include "serial/port_device.h"

#ifdef __linux__
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>
#endif

namespace serial {

#ifdef __linux__

namespace {

namespace fs = std::filesystem;

// The USB serial adapters that brltty's device rules claim for Braille displays: CH340, CP210x
// and FTDI's FT232.
constexpr std::array<std::string_view, 3> kBrlttyClaims = {"1a86:7523", "10c4:ea60", "0403:6001"};

// Qt's and the uucp programs' lock files for a device live in one of these. Qt's serial port takes
// the first, in this order, that the account may read and that holds the file or may be written.
constexpr std::array<std::string_view, 8> kLockFolders = {
    "var/lock", "etc/locks", "var/spool/locks",  "var/spool/uucp",
    "tmp",      "var/tmp",   "var/lock/lockdev", "run/lock"};

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
    gid_t first = 0;
    int count = 1;  // the first call says how many there are
    ::getgrouplist(account->pw_name, account->pw_gid, &first, &count);
    std::vector<gid_t> ids(static_cast<std::size_t>(count));
    ::getgrouplist(account->pw_name, account->pw_gid, ids.data(), &count);
    return groupNames(ids);
}

// Empty for a process that has ended.
std::string processName(const fs::path& proc, int pid) {
    return firstLine(proc / std::to_string(pid) / "comm");
}

void addHolder(std::vector<ProcessSeen>& holders, const fs::path& proc, int pid) {
    if (std::any_of(holders.begin(), holders.end(),
                    [pid](const ProcessSeen& holder) { return holder.pid == pid; })) {
        return;
    }
    std::string name = processName(proc, pid);
    if (!name.empty()) {
        holders.push_back({pid, std::move(name)});
    }
}

// The pseudo-terminal whose slave the device is, or -1: its master's holder is the line's far end
// (a simulated gauge), not a program competing for the port.
int ptyIndex(const struct stat& device) {
    constexpr unsigned int kFirstPtsMajor = 136;  // to 143, 256 slaves each
    const unsigned int block = major(device.st_rdev) - kFirstPtsMajor;
    return block < 8 ? static_cast<int>(block * 256 + minor(device.st_rdev)) : -1;
}

// Whether the process's open file fd is the master of pseudo-terminal number index.
bool isPtyMaster(const fs::path& process, const fs::path& fd, int index) {
    std::ifstream in(process / "fdinfo" / fd);
    const std::string wanted = "tty-index:\t" + std::to_string(index);
    for (std::string line; std::getline(in, line);) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

// Whether a process has the device open other than as the far end of its pseudo-terminal.
bool holds(const fs::path& process, const struct stat& device) {
    const dev_t ptyMaster = makedev(5, 2);  // /dev/ptmx
    bool found = false;
    std::error_code hidden;  // another account's files, or a process that just ended
    for (const fs::directory_entry& file : fs::directory_iterator(process / "fd", hidden)) {
        struct stat opened {};
        if (::stat(file.path().c_str(), &opened) != 0 || !S_ISCHR(opened.st_mode)) {
            continue;
        }
        if (opened.st_rdev == ptyMaster &&
            isPtyMaster(process, file.path().filename(), ptyIndex(device))) {
            return false;
        }
        if (opened.st_rdev == device.st_rdev) {
            found = true;
        }
    }
    return found;
}

// Every process whose open files this account may see, and whether brltty is among them.
void scanProcesses(PortObservation& seen, const fs::path& proc, const struct stat* device) {
    std::error_code error;
    for (const fs::directory_entry& process : fs::directory_iterator(proc, error)) {
        // /proc's other entries (self, sys, ...) are not numbers.
        const std::string entry = process.path().filename().string();
        int pid = 0;
        const auto [end, failure] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
        if (failure != std::errc() || end != entry.data() + entry.size() || pid <= 0) {
            continue;
        }
        if (processName(proc, pid) == "brltty") {
            seen.brlttyRunning = true;
            std::error_code hidden;  // brltty run by root, seen from another account
            const fs::directory_iterator files(process.path() / "fd", hidden);
            seen.brlttyFilesHidden = seen.brlttyFilesHidden || hidden;
        }
        if (device != nullptr && holds(process.path(), *device)) {
            addHolder(seen.holders, proc, pid);
        }
    }
}

// Whether this account may remove the file: a sticky folder (/run/lock) leaves it to the file's
// owner, the folder's owner and root.
bool mayRemove(const fs::path& file) {
    struct stat folder {};
    struct stat entry {};
    const fs::path parent = file.parent_path();
    if (::stat(parent.c_str(), &folder) != 0 || ::lstat(file.c_str(), &entry) != 0 ||
        ::access(parent.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    const uid_t self = ::geteuid();
    return (folder.st_mode & S_ISVTX) == 0 || self == 0 || self == entry.st_uid ||
           self == folder.st_uid;
}

// Qt's lock file for the device, when it names a process that has ended: "PID\nPROGRAM\nHOST\n...".
std::optional<StaleLock> staleLock(const fs::path& root, const std::string& qtName) {
    for (std::string_view folder : kLockFolders) {
        const fs::path file = root / folder / ("LCK.." + qtName);
        std::error_code error;
        const bool exists = fs::exists(file, error);
        if (::access(file.parent_path().c_str(), R_OK) != 0 ||
            (!exists && ::access(file.parent_path().c_str(), W_OK) != 0)) {
            continue;
        }
        std::ifstream in(file);
        StaleLock lock;
        in >> lock.pid;
        in.ignore(1);
        std::getline(in, lock.program);
        if (lock.pid <= 0 || fs::exists(root / "proc" / std::to_string(lock.pid), error)) {
            return std::nullopt;
        }
        lock.path = fs::canonical(file, error).string();
        lock.mayRemove = mayRemove(file);
        return lock;
    }
    return std::nullopt;
}

// A lock file names its holder even when the holder's open files are hidden from this account.
void readLockFiles(PortObservation& seen, const fs::path& root) {
    std::string qtName = seen.device;
    if (qtName.starts_with("/dev/")) {
        qtName.erase(0, 5);
    }
    std::replace(qtName.begin(), qtName.end(), '/', '_');
    const std::string uucpName = fs::path(seen.device).filename().string();
    for (std::string_view folder : kLockFolders) {
        for (std::string_view name : {std::string_view(qtName), std::string_view(uucpName)}) {
            int pid = 0;  // "      1234": the holder's process id, as text
            std::ifstream(root / folder / ("LCK.." + std::string(name))) >> pid;
            if (pid > 0) {
                addHolder(seen.holders, root / "proc", pid);
            }
        }
    }
    seen.staleLock = staleLock(root, qtName);
}

// Whether a USB device has a serial port: its interfaces, folders within it, hold a ttyUSBn, or a
// tty folder with a ttyACMn, while a serial driver is bound to them.
bool hasSerialPort(const fs::path& device) {
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(device, error);
         entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) {
            return true;
        }
    }
    return false;
}

// Adapters of a kind brltty claims that have no serial port: the serial driver was unbound.
std::vector<std::string> claimedAdapters(const fs::path& root) {
    std::vector<std::string> claimed;
    std::error_code error;
    for (const fs::directory_entry& device :
         fs::directory_iterator(root / "sys/bus/usb/devices", error)) {
        const std::string id =
            firstLine(device.path() / "idVendor") + ":" + firstLine(device.path() / "idProduct");
        if (std::find(kBrlttyClaims.begin(), kBrlttyClaims.end(), id) != kBrlttyClaims.end() &&
            !hasSerialPort(device.path())) {
            claimed.push_back(id);
        }
    }
    return claimed;
}

// The USB serial adapters by their lasting names and their devices; where udev makes no such
// names, by their device names alone.
std::vector<PortPresent> adaptersPresent(const fs::path& root) {
    std::vector<PortPresent> present;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(root / "dev/serial/by-id", error)) {
        std::error_code dangling;
        present.push_back({entry.path().string(), fs::canonical(entry.path(), dangling).string()});
    }
    if (present.empty()) {
        for (const fs::directory_entry& entry : fs::directory_iterator(root / "dev", error)) {
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

void observeSystem(PortObservation& seen, const std::filesystem::path& root) {
    struct stat device {};
    seen.deviceExists = !seen.device.empty() && ::stat(seen.device.c_str(), &device) == 0;
    if (seen.deviceExists) {
        seen.mayReadWrite =
            ::faccessat(AT_FDCWD, seen.device.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
        seen.deviceGroup = groupName(device.st_gid);
        seen.groupMayReadWrite = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
        seen.processGroups = processGroups();
        seen.accountGroups = accountGroups();
    }
    scanProcesses(seen, root / "proc", seen.deviceExists ? &device : nullptr);
    if (seen.deviceExists) {
        readLockFiles(seen, root);
    }
    if (seen.brlttyRunning) {
        seen.claimedAdapters = claimedAdapters(root);
    }
    seen.present = adaptersPresent(root);
}

#else

void observeSystem([[maybe_unused]] PortObservation& seen,
                   [[maybe_unused]] const std::filesystem::path& root) {
#ifdef _WIN32
    seen.windows = true;
#endif
}

#endif

}  // namespace serial
