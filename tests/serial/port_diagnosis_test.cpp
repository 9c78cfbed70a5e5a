#include "serial/port_diagnosis.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using serial::OpenRefusal;
using serial::PortObservation;
using serial::PortProblem;

constexpr char kFolder[] = "/home/op/.config/qorb-memory-to-file";
constexpr char kLock[] = "/run/lock/LCK..ttyUSB0";
constexpr char kAdapter[] = "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0";
constexpr char kBrlttyFix[] =
    "unless a Braille display is used here: sudo apt remove brltty (or sudo systemctl mask "
    "brltty-udev.service), then unplug the adapter and plug it in again";

// Com 1 through its link to an adapter the system refused to open.
PortObservation refusedAdapter() {
    PortObservation seen;
    seen.port = "Com 1 (/dev/ttyUSB0)";
    seen.device = "/dev/ttyUSB0";
    seen.portNumber = 1;
    seen.refusal = OpenRefusal::Denied;
    seen.systemText = "Permission denied";
    seen.link = std::string(kFolder) + "/com1";
    seen.linkExists = true;
    seen.deviceGroup = "dialout";
    seen.processGroups = {"op"};
    seen.accountGroups = {"op"};
    seen.present = {{kAdapter, "/dev/ttyUSB1"}};
    return seen;
}

TEST(PortDiagnosis, EachObservedCauseGivesItsReasonFixAndState) {
    const struct {
        const char* cause;
        std::function<void(PortObservation&)> observed;
        PortProblem problem;
        const char* state;
        const char* text;  // part of the whole failure text, from "Cannot open" on
        const char* fix;
    } cases[] = {
        // clang-format off
        {"not in the device's group", [](auto& s) { s.mayReadWrite = false; },
         PortProblem::NoPermission, "no permission (group dialout)",
         "Cannot open Com 1 (/dev/ttyUSB0): permission denied: /dev/ttyUSB0 belongs to the group "
         "dialout, which this account is not in\nFix: ",
         "sudo adduser $USER dialout, then log out and in again"},
        {"joined the group after logging in",
         [](auto& s) { s.mayReadWrite = false; s.accountGroups = {"op", "dialout"}; },
         PortProblem::NoPermission, "no permission (group dialout)",
         "which this account joined after the session began", "log out and in again"},
        {"in the group, but the mode leaves the group out",
         [](auto& s) {
             s.mayReadWrite = s.groupMayReadWrite = false;
             s.processGroups = {"dialout"};
         },
         PortProblem::NoPermission, "no permission (group dialout)",
         "/dev/ttyUSB0 does not let its group dialout read and write it",
         "sudo chmod g+rw /dev/ttyUSB0 until the adapter is plugged in again (a udev rule with "
         "MODE=\"0660\" makes it last)"},
        {"a device of root's", [](auto& s) { s.mayReadWrite = false; s.deviceGroup = "root"; },
         PortProblem::NoPermission, "no permission (group root)", "the group root",
         "have the device given the group dialout (a udev rule with GROUP=\"dialout\"), then "
         "sudo adduser $USER dialout, then log out and in again"},
        {"in the group and refused all the same",
         [](auto& s) { s.mayReadWrite = false; s.processGroups = {"dialout"}; },
         PortProblem::NoPermission, "no permission (group dialout)",
         "is refused to this account, although it is in the group dialout",
         "ask the administrator for access to it"},
        {"held by a terminal and by ModemManager",
         [](auto& s) { s.holders = {{812, "minicom"}, {640, "ModemManager"}}; },
         PortProblem::Busy, "busy: minicom (process 812), ModemManager (process 640)",
         "/dev/ttyUSB0 is in use by another program: minicom (process 812), ModemManager",
         "ModemManager probes a newly plugged adapter for a few seconds: wait and try again; if "
         "it keeps the port, sudo systemctl stop ModemManager"},
        {"held by a program this account cannot see", [](auto&) {}, PortProblem::Busy, "busy",
         "one this account cannot see",
         "close terminals and other copies of this program that use it, then try again"},
        {"listed while a terminal has it",
         [](auto& s) { s.refusal = OpenRefusal::NotTried; s.holders = {{812, "minicom"}}; },
         PortProblem::Busy, "busy: minicom (process 812)", "minicom (process 812)",
         "end that program or close the port in it, then try again"},
        {"listed and free", [](auto& s) { s.refusal = OpenRefusal::NotTried; }, PortProblem::None,
         "free", "", ""},
        {"locked by a lock file whose program has ended, which this account may not remove",
         [](auto& s) { s.staleLock = {{kLock, 4242, "qorb-download", false}}; },
         PortProblem::StaleLock,
         "locked by /run/lock/LCK..ttyUSB0, left by qorb-download (process 4242), which has ended",
         "Cannot open Com 1 (/dev/ttyUSB0): /dev/ttyUSB0 is locked by /run/lock/LCK..ttyUSB0, a "
         "lock file left by qorb-download (process 4242), which has ended; this account may not "
         "remove it", "sudo rm /run/lock/LCK..ttyUSB0, then try again"},
        {"listed, locked by a lock file that names no program",
         [](auto& s) { s.refusal = OpenRefusal::NotTried; s.staleLock = {{kLock, 4242, "", false}}; },
         PortProblem::StaleLock,
         "locked by /run/lock/LCK..ttyUSB0, left by process 4242, which has ended", "",
         "sudo rm /run/lock/LCK..ttyUSB0, then try again"},
        {"listed, with a lock file whose program has ended, which the open will remove",
         [](auto& s) { s.refusal = OpenRefusal::NotTried; s.staleLock = {{kLock, 4242, "", true}}; },
         PortProblem::None, "free", "", ""},
        {"held by a program this account cannot see, while brltty runs under another account",
         [](auto& s) { s.brlttyRunning = s.brlttyFilesHidden = true; },
         PortProblem::ClaimedByBrltty, "busy: likely brltty",
         "/dev/ttyUSB0 is in use by another program, one this account cannot see: most likely "
         "the Braille display service brltty, which is running", kBrlttyFix},
        {"listed while brltty runs under another account",
         [](auto& s) { s.refusal = OpenRefusal::NotTried; s.brlttyFilesHidden = true; },
         PortProblem::None,
         "free, unless brltty holds it (it runs under another account, whose open files this one "
         "cannot see)", "", ""},
        {"held by brltty", [](auto& s) { s.holders = {{77, "brltty"}}; },
         PortProblem::ClaimedByBrltty, "taken by brltty",
         "the Braille display service brltty has taken /dev/ttyUSB0", kBrlttyFix},
        {"gone since brltty took the adapter",
         [](auto& s) {
             s.refusal = OpenRefusal::NotFound;
             s.brlttyRunning = true;
             s.claimedAdapters = {"1a86:7523"};
         },
         PortProblem::ClaimedByBrltty, "taken by brltty", "has taken the USB adapter 1a86:7523",
         kBrlttyFix},
        {"a link to an adapter that came back under another name, brltty claiming nothing",
         [](auto& s) { s.refusal = OpenRefusal::NotFound; s.brlttyRunning = true; },
         PortProblem::Missing, "missing",
         "the link /home/op/.config/qorb-memory-to-file/com1 points to /dev/ttyUSB0, which does "
         "not exist: the adapter is unplugged or came back under another name; serial adapters "
         "present: /dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 (/dev/ttyUSB1)",
         "plug the adapter in, or link one that is present: mkdir -p "
         "/home/op/.config/qorb-memory-to-file && ln -sfn "
         "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 "
         "/home/op/.config/qorb-memory-to-file/com1"},
        {"no link and no third port",
         [](auto& s) {
             s.port = "Com 3";
             s.refusal = OpenRefusal::NotFound;
             s.device.clear();
             s.portNumber = 3;
             s.link = std::string(kFolder) + "/com3";
             s.linkExists = false;
             s.present.clear();
         },
         PortProblem::Missing, "missing",
         "Cannot open Com 3: no link /home/op/.config/qorb-memory-to-file/com3, and the system "
         "lists fewer than 3 serial ports; no serial adapter is plugged in",
         "plug the adapter in and try again"},
        {"a named device that is missing, on a system without udev's names",
         [](auto& s) {
             s.device = "/dev/ttyACM0";
             s.link.clear();
             s.linkExists = s.deviceExists = false;
             s.present = {{"/dev/ttyUSB1", ""}};  // no udev: no lasting name
         },
         PortProblem::Missing, "missing",
         "/dev/ttyACM0 does not exist; serial adapters present: /dev/ttyUSB1",
         "plug the adapter in, or choose one that is present"},
        {"Windows: a COM number that is not there",
         [](auto& s) {
             s.windows = true;
             s.port = "Com 7 (COM7)";
             s.device = "COM7";
             s.refusal = OpenRefusal::NotFound;
             s.present = {{"COM1", "Communications Port"}, {"COM5", "USB Serial Port"},
                          {"COM9", ""}};
         },
         PortProblem::NoSuchComPort, "missing",
         "Cannot open Com 7 (COM7): COM7 does not exist on this computer; the COM ports present "
         "are Communications Port (COM1), USB Serial Port (COM5), COM9",
         "choose the gauge's adapter: Device Manager lists it under Ports (COM & LPT), and its "
         "number changes when it moves to another USB socket"},
        {"Windows: access denied", [](auto& s) { s.windows = true; s.device = "COM7"; },
         PortProblem::InUse, "busy", "COM7 is in use by another program (access denied)",
         "close the program that holds it (a terminal, another copy of this program), then try "
         "again"},
        {"a refusal of another kind, whoever has the device open",
         [](auto& s) {
             s.refusal = OpenRefusal::Other;
             s.systemText = "Input/output error";
             s.holders = {{812, "minicom"}};
         },
         PortProblem::Unknown, "Input/output error",
         "Cannot open Com 1 (/dev/ttyUSB0): Input/output error", ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        PortObservation seen = refusedAdapter();
        c.observed(seen);
        const serial::PortDiagnosis diagnosis = serial::diagnosePort(seen);
        EXPECT_EQ(diagnosis.problem, c.problem);
        EXPECT_EQ(diagnosis.state, c.state);
        EXPECT_EQ(diagnosis.fix, c.fix);
        const std::string text = serial::openFailureText(seen, diagnosis);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_EQ(text.find("\nFix: ") != std::string::npos, *c.fix != '\0') << text;
    }
}

}  // namespace
