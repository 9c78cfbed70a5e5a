#include "serial/port_device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

using serial::portDevice;

#ifdef _WIN32

TEST(PortDevice, ComNumberIsTheWindowsDevice) {
    EXPECT_EQ(portDevice(16, {"."}, {}), "COM16");
    EXPECT_EQ(portDevice(17, {"."}, {}), std::nullopt);
}

#else

// Runs of digits count as numbers (leading zeros first, so the order stays strict); a port listed
// twice counts once; a comN link beats the list for its number only, the first folder's link
// beating the next one's.
TEST(PortDevice, AComLinkOrTheNthSystemPortInDevicePathOrder) {
    namespace fs = std::filesystem;
    testsupport::TempFolder folder;
    testsupport::TempFolder user;
    const std::vector<std::string> at = {user.path().string(), folder.path().string()};
    testsupport::writeBytes(folder.path() / "adapter", "");  // an ordinary file as the device
    const std::string device = fs::canonical(folder.path() / "adapter").string();
    for (const char* name : {"com0", "com16", "com17", "by-id"}) {
        fs::create_symlink(device, folder.path() / name);
    }
    fs::create_symlink("by-id", folder.path() / "com3");  // chains of links count
    fs::create_symlink("unplugged", folder.path() / "com2");
    testsupport::writeBytes(folder.path() / "com1", "");  // an ordinary file is no link
    testsupport::writeBytes(user.path() / "own", "");
    fs::create_symlink(user.path() / "own", user.path() / "com16");
    const std::vector<std::string> listed = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM1",
                                             "/dev/ttyS2",   "/dev/ttyS",   "/dev/ttyS2",
                                             "/dev/ttyS02",  "/dev/ttyS1",  "/dev/ttyS0"};
    std::vector<std::string> found;  // a dangling link names its missing target, not another port
    for (std::int16_t number = 1; const auto port = portDevice(number, at, listed); ++number) {
        found.push_back(*port);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"/dev/ttyACM1", folder.file("unplugged"), device,
                                               "/dev/ttyS1", "/dev/ttyS02", "/dev/ttyS2",
                                               "/dev/ttyS10", "/dev/ttyUSB0"}));
    EXPECT_EQ(portDevice(16, at, {}), fs::canonical(user.path() / "own").string());
    EXPECT_EQ(portDevice(16, {at[1]}, {}), device);
    EXPECT_FALSE(portDevice(0, at, listed) || portDevice(17, at, {}));  // numbers run 1 to 16
}

#endif

}  // namespace
