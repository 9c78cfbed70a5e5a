#include "serial/port_observation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace {

#ifdef __linux__
namespace fs = std::filesystem;

// A system in miniature: brltty running, its open files hidden; minicom holding the port by a uucp
// lock, beside the lock Qt takes, whose program has ended; a CH340 adapter that brltty took (no
// port under it), an FTDI adapter still a serial port, by its lasting name, and a mouse receiver,
// of no kind brltty takes.
TEST(PortObservation, FindsHoldersByLockAStaleLockBrlttyTheAdaptersItTookAndThoseStillPresent) {
    testsupport::TempFolder root;
    const std::string usb = "sys/bus/usb/devices/";
    const std::pair<std::string, const char*> files[] = {
        // clang-format off
        {"proc/77/comm", "brltty\n"}, {"proc/812/comm", "minicom\n"},
        {"etc/locks/LCK..null", "       812\n"},
        {"var/lock/LCK..null", "999\nqorb-download\nvm\n"},
        {usb + "1-1/idVendor", "1a86\n"}, {usb + "1-1/idProduct", "7523\n"},
        {usb + "1-1/1-1:1.0/bInterfaceClass", "ff\n"},
        {usb + "1-2/idVendor", "0403\n"}, {usb + "1-2/idProduct", "6001\n"},
        {usb + "1-2/1-2:1.0/ttyUSB0/port_number", "0\n"}, {"dev/ttyUSB0", ""},
        {usb + "2-1/idVendor", "046d\n"}, {usb + "2-1/idProduct", "c52b\n"},
        // clang-format on
    };
    for (const auto& [file, text] : files) {
        fs::create_directories((root.path() / file).parent_path());
        testsupport::writeBytes(root.path() / file, text);
    }
    fs::create_directories(root.path() / "dev/serial/by-id");
    fs::create_symlink("../../ttyUSB0", root.path() / "dev/serial/by-id/usb-FTDI_A1-if00-port0");

    serial::PortObservation seen;
    seen.device = "/dev/null";  // a device every system has, named in the locks
    serial::observeSystem(seen, root.path());
    EXPECT_TRUE(seen.brlttyRunning);
    EXPECT_TRUE(seen.brlttyFilesHidden);
    EXPECT_EQ(seen.holders, (std::vector<serial::ProcessSeen>{{812, "minicom"}}));
    // This account made the folder: it may remove the file, as Qt will.
    EXPECT_EQ(seen.staleLock,
              (serial::StaleLock{fs::canonical(root.path() / "var/lock/LCK..null").string(), 999,
                                 "qorb-download", true}));
    EXPECT_EQ(seen.claimedAdapters, std::vector<std::string>{"1a86:7523"});
    EXPECT_EQ(
        seen.present,
        (std::vector<serial::PortPresent>{
            {root.file("dev/serial/by-id/usb-FTDI_A1-if00-port0"), root.file("dev/ttyUSB0")}}));
}
#endif

}  // namespace
