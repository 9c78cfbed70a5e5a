#include "serial/port_diagnosis.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace serial {

namespace {

constexpr char kBrlttyClaims[] = " (it claims common USB serial adapters as they are plugged in)";
constexpr char kBrlttyFix[] =
    "unless a Braille display is used here: sudo apt remove brltty (or sudo systemctl mask "
    "brltty-udev.service), then unplug the adapter and plug it in again";

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename Item, typename Text>
std::string joined(const std::vector<Item>& items, Text text) {
    std::string result;
    for (const Item& item : items) {
        if (!result.empty()) {
            result += ", ";
        }
        result += text(item);
    }
    return result;
}

bool heldBy(const PortObservation& seen, std::string_view program) {
    return std::any_of(seen.holders.begin(), seen.holders.end(),
                       [program](const ProcessSeen& holder) { return holder.name == program; });
}

PortDiagnosis noPermission(const PortObservation& seen) {
    // The group is always known here: by its number when it has no name.
    const std::string& group = seen.deviceGroup;
    const std::string denied = "permission denied: " + seen.device;
    const bool member = contains(seen.processGroups, group);
    // Joining root's group would hand the account far more than one port: a device of root's
    // wants a group for serial ports first.
    const std::string joinGroup =
        group == "root"
            ? "have the device given the group dialout (a udev rule with GROUP=\"dialout\"), "
              "then sudo adduser $USER dialout, then log out and in again"
            : "sudo adduser $USER " + group + ", then log out and in again";
    PortDiagnosis diagnosis;
    diagnosis.problem = PortProblem::NoPermission;
    diagnosis.state = "no permission (group " + group + ")";
    if (!seen.groupMayReadWrite) {
        diagnosis.reason = denied + " does not let its group " + group + " read and write it";
        diagnosis.fix = "sudo chmod g+rw " + seen.device +
                        " until the adapter is plugged in again (a udev rule with MODE=\"0660\" "
                        "makes it last)";
        if (!member) {
            diagnosis.fix += "; then " + joinGroup;
        }
    } else if (member) {
        // Refused in spite of the group: an access list or a security module decides.
        diagnosis.reason =
            denied + " is refused to this account, although it is in the group " + group;
        diagnosis.fix = "ask the administrator for access to it";
    } else if (contains(seen.accountGroups, group)) {
        // Group changes reach only the sessions that begin after them.
        diagnosis.reason = denied + " belongs to the group " + group +
                           ", which this account joined after the session began";
        diagnosis.fix = "log out and in again";
    } else {
        diagnosis.reason =
            denied + " belongs to the group " + group + ", which this account is not in";
        diagnosis.fix = joinGroup;
    }
    return diagnosis;
}

PortDiagnosis busy(const PortObservation& seen) {
    const std::string unseen =
        seen.device + " is in use by another program, one this account cannot see";
    if (seen.holders.empty() && seen.brlttyFilesHidden) {
        // The account cannot see which program holds it, but the likeliest one is running.
        return {PortProblem::ClaimedByBrltty,
                unseen + ": most likely the Braille display service brltty, which is running" +
                    kBrlttyClaims,
                kBrlttyFix, "busy: likely brltty"};
    }
    if (seen.holders.empty()) {
        return {PortProblem::Busy, unseen,
                "close terminals and other copies of this program that use it, then try again",
                "busy"};
    }
    const std::string names = joined(seen.holders, [](const ProcessSeen& holder) {
        return holder.name + " (process " + std::to_string(holder.pid) + ")";
    });
    std::string fix = seen.holders.size() == 1 ? "end that program or close the port in it"
                                               : "end those programs or close the port in them";
    fix += ", then try again";
    if (heldBy(seen, "ModemManager")) {
        fix =
            "ModemManager probes a newly plugged adapter for a few seconds: wait and try again; "
            "if it keeps the port, sudo systemctl stop ModemManager";
    }
    return {PortProblem::Busy, seen.device + " is in use by another program: " + names, fix,
            "busy: " + names};
}

PortDiagnosis claimedByBrltty(const PortObservation& seen) {
    std::string what = seen.device;
    if (!seen.claimedAdapters.empty()) {
        what = "the USB adapter " + joined(seen.claimedAdapters, std::identity());
    }
    return {PortProblem::ClaimedByBrltty,
            "the Braille display service brltty has taken " + what + kBrlttyClaims, kBrlttyFix,
            "taken by brltty"};
}

PortDiagnosis staleLock(const PortObservation& seen, const StaleLock& lock) {
    std::string program = "process " + std::to_string(lock.pid);
    if (!lock.program.empty()) {
        program = lock.program + " (" + program + ")";
    }
    const std::string left = "left by " + program + ", which has ended";
    return {PortProblem::StaleLock,
            seen.device + " is locked by " + lock.path + ", a lock file " + left +
                "; this account may not remove it",
            "sudo rm " + lock.path + ", then try again", "locked by " + lock.path + ", " + left};
}

// "/dev/serial/by-id/usb-... (/dev/ttyUSB1)"
std::string adapterText(const PortPresent& port) {
    std::string text = port.name;
    if (!port.description.empty()) {
        text += " (" + port.description + ")";
    }
    return text;
}

// "USB Serial Port (COM5)", as Device Manager shows it
std::string comPortText(const PortPresent& port) {
    if (port.description.empty()) {
        return port.name;
    }
    return port.description + " (" + port.name + ")";
}

PortDiagnosis missing(const PortObservation& seen) {
    PortDiagnosis diagnosis;
    diagnosis.problem = PortProblem::Missing;
    diagnosis.state = "missing";
    if (seen.linkExists) {
        diagnosis.reason = "the link " + seen.link + " points to " + seen.device +
                           ", which does not exist: the adapter is unplugged or came back under "
                           "another name";
    } else if (seen.device.empty()) {
        diagnosis.reason = "no link " + seen.link + ", and the system lists fewer than " +
                           std::to_string(seen.portNumber) + " serial ports";
    } else {
        diagnosis.reason = seen.device + " does not exist";
    }
    if (seen.present.empty()) {
        diagnosis.reason += "; no serial adapter is plugged in";
        diagnosis.fix = "plug the adapter in and try again";
        return diagnosis;
    }
    diagnosis.reason += "; serial adapters present: " + joined(seen.present, adapterText);
    if (seen.link.empty()) {
        diagnosis.fix = "plug the adapter in, or choose one that is present";
    } else {
        diagnosis.fix = "plug the adapter in, or link one that is present: mkdir -p " +
                        seen.link.substr(0, seen.link.rfind('/')) + " && ln -sfn " +
                        seen.present.front().name + " " + seen.link;
    }
    return diagnosis;
}

PortDiagnosis noSuchComPort(const PortObservation& seen) {
    std::string present = "it has no COM ports";
    if (!seen.present.empty()) {
        present = "the COM ports present are " + joined(seen.present, comPortText);
    }
    return {PortProblem::NoSuchComPort,
            seen.device + " does not exist on this computer; " + present,
            "choose the gauge's adapter: Device Manager lists it under Ports (COM & LPT), and its "
            "number changes when it moves to another USB socket",
            "missing"};
}

PortDiagnosis unknown(const PortObservation& seen) {
    return {PortProblem::Unknown, seen.systemText, {}, seen.systemText};
}

PortDiagnosis comPortRefused(const PortObservation& seen) {
    if (seen.refusal == OpenRefusal::NotFound) {
        return noSuchComPort(seen);
    }
    if (seen.refusal == OpenRefusal::Denied) {
        // Windows opens a COM port for one program at a time: a refusal is a holder.
        return {PortProblem::InUse, seen.device + " is in use by another program (access denied)",
                "close the program that holds it (a terminal, another copy of this program), "
                "then try again",
                "busy"};
    }
    return unknown(seen);
}

}  // namespace

PortDiagnosis diagnosePort(const PortObservation& seen) {
    if (seen.windows) {
        return comPortRefused(seen);
    }
    if (seen.refusal == OpenRefusal::NotFound || !seen.deviceExists) {
        // brltty unbinds the serial driver from an adapter it claims: its device goes away.
        return seen.brlttyRunning && !seen.claimedAdapters.empty() ? claimedByBrltty(seen)
                                                                   : missing(seen);
    }
    if (seen.refusal == OpenRefusal::Other) {
        // Not a refusal of this account nor a holder's (a path that is no serial port is held open
        // by many): whoever has the device is beside the point.
        return unknown(seen);
    }
    if (heldBy(seen, "brltty")) {
        return claimedByBrltty(seen);
    }
    if (!seen.mayReadWrite) {
        return noPermission(seen);
    }
    if (!seen.holders.empty()) {
        return busy(seen);
    }
    if (seen.staleLock && !seen.staleLock->mayRemove) {
        return staleLock(seen, *seen.staleLock);
    }
    // A refusal the account may not be refused is a lock or an exclusive open by another program.
    if (seen.refusal == OpenRefusal::Denied) {
        return busy(seen);
    }
    // Without opening the port, nothing tells whether brltty has it open.
    return {PortProblem::None,
            {},
            {},
            seen.brlttyFilesHidden ? "free, unless brltty holds it (it runs under another account, "
                                     "whose open files this one cannot see)"
                                   : "free"};
}

std::string openFailureText(const PortObservation& seen, const PortDiagnosis& diagnosis) {
    std::string text = "Cannot open " + seen.port + ": " + diagnosis.reason;
    if (!diagnosis.fix.empty()) {
        text += "\nFix: " + diagnosis.fix;
    }
    return text;
}

}  // namespace serial
