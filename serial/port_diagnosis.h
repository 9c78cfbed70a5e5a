#pragma once

#include <optional>
#include <string>
#include <vector>

namespace serial {

// How the system answered an open.
enum class OpenRefusal {
    NotTried,  // a port looked at without opening it, for a list
    NotFound,  // no such device, link target or COM port
    Denied,    // refused: no permission, or held by another program (a lock, an exclusive open)
    Other,
};

struct ProcessSeen {
    int pid = 0;
    std::string name;

    bool operator==(const ProcessSeen&) const = default;
};

// A lock file that names a program that has ended. Qt's serial port removes such a file before it
// opens the device, where the account may: one it may not remove keeps the device locked.
struct StaleLock {
    std::string path;
    int pid = 0;
    std::string program;  // empty when the file names none (a uucp program's)
    bool mayRemove = true;

    bool operator==(const StaleLock&) const = default;
};

// A serial port the system has: on Linux an adapter's /dev/serial/by-id name and its device, on
// Windows a COM name and what the system calls the port ("USB Serial Port").
struct PortPresent {
    std::string name;
    std::string description;

    bool operator==(const PortPresent&) const = default;
};

// What was seen when a port would not open: the refusal, and what the system tells about the
// device, the user and the programs around it. Facts a system cannot tell stay at their defaults.
struct PortObservation {
    bool windows = false;
    // The port as the operator named it ("Com 3 (/dev/ttyUSB0)", a device path, "COM7").
    std::string port;
    // What was to be opened; empty when the number reached no device at all.
    std::string device;
    int portNumber = 0;  // 0 when a device was named directly
    OpenRefusal refusal = OpenRefusal::Other;
    std::string systemText;  // the system's own words for the refusal
    // The comN link followed, or where one would go when there is none; empty for a named device.
    std::string link;
    bool linkExists = false;

    bool deviceExists = true;
    bool mayReadWrite = true;  // this process may open the device for reading and writing
    std::string deviceGroup;
    bool groupMayReadWrite = true;
    std::vector<std::string> processGroups;  // the groups this process runs with
    std::vector<std::string> accountGroups;  // the account's groups, as the system lists them now
    std::vector<ProcessSeen> holders;        // the processes seen with the device open or locked
    std::optional<StaleLock> staleLock;      // in the lock file Qt's serial port takes
    bool brlttyRunning = false;
    bool brlttyFilesHidden = false;  // brltty runs under an account whose open files are hidden
    // USB adapters of the kinds brltty claims that have no serial port ("1a86:7523").
    std::vector<std::string> claimedAdapters;
    std::vector<PortPresent> present;
};

enum class PortProblem {
    None,
    NoPermission,
    Busy,
    StaleLock,
    ClaimedByBrltty,
    Missing,
    NoSuchComPort,
    InUse,
    Unknown,
};

struct PortDiagnosis {
    PortProblem problem = PortProblem::None;
    std::string reason;
    std::string fix;  // empty when there is nothing to advise
    // For one line of a list: "free", "busy: minicom (process 812)", "no permission (group
    // dialout)".
    std::string state;
};

// Why the port would not open and what the operator can do about it.
PortDiagnosis diagnosePort(const PortObservation& seen);

// "Cannot open PORT: REASON", then the fix on a line of its own.
std::string openFailureText(const PortObservation& seen, const PortDiagnosis& diagnosis);

}  // namespace serial
