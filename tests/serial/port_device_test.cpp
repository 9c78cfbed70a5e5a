#include "serial/port_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace serial {
namespace {

namespace fs = std::filesystem;
using Ports = std::vector<std::string>;

#ifdef _WIN32

TEST(PortDevice, ComNumberIsTheWindowsDevice) {
    EXPECT_EQ(portDevice(16, ".", {}), "COM16");
    EXPECT_EQ(portDevice(17, ".", {}), std::nullopt);
}

#else

TEST(PortDevice, TheNthSystemPortInDevicePathOrderEachCountedOnce) {
    Ports paths = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM1", "/dev/ttyS2",
                   "/dev/ttyS",    "/dev/ttyS1",  "/dev/ttyS0"};
    std::sort(paths.begin(), paths.end(), devicePathLess);
    EXPECT_EQ(paths, (Ports{"/dev/ttyACM1", "/dev/ttyS", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2",
                            "/dev/ttyS10", "/dev/ttyUSB0"}));
    // Equal numbers written with leading zeros still order strictly, so sorting stays defined.
    EXPECT_TRUE(devicePathLess("/dev/ttyS02", "/dev/ttyS2"));
    EXPECT_FALSE(devicePathLess("/dev/ttyS2", "/dev/ttyS02"));
    EXPECT_FALSE(devicePathLess("/dev/ttyS2", "/dev/ttyS2"));

    const Ports listed = {"/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyS2"};
    EXPECT_EQ(portDevice(1, "/nonexistent", listed), "/dev/ttyS2");
    EXPECT_EQ(portDevice(3, "/nonexistent", listed), "/dev/ttyUSB0");
    EXPECT_EQ(portDevice(4, "/nonexistent", listed), std::nullopt);
    for (const std::int16_t number : {0, 17}) {
        EXPECT_EQ(portDevice(number, "/nonexistent", Ports(20, "/dev/ttyS0")), std::nullopt);
    }
}

TEST(PortDevice, AComLinkInTheProgramFolderBeatsTheListForItsNumberOnly) {
    testsupport::TempFolder folder;
    const fs::path& at = folder.path();
    testsupport::writeBytes(at / "adapter", "");  // an ordinary file standing in for a device
    const std::string device = fs::canonical(at / "adapter").string();
    fs::create_symlink(device, at / "com16");
    fs::create_symlink(device, at / "by-id");
    fs::create_symlink("by-id", at / "com3");  // chains of links count
    fs::create_symlink("unplugged", at / "com2");
    testsupport::writeBytes(at / "com1", "");  // an ordinary file is no link
    const std::string folderText = at.string();
    EXPECT_EQ(portDevice(16, folderText, {}), device);
    EXPECT_EQ(portDevice(3, folderText, {"/dev/ttyS0"}), device);
    EXPECT_EQ(portDevice(1, folderText, {"/dev/ttyS0"}), "/dev/ttyS0");
    // A dangling link names its missing target rather than another port.
    EXPECT_EQ(portDevice(2, folderText, {"/dev/ttyS0", "/dev/ttyS1"}), (at / "unplugged").string());
}

#endif

}  // namespace
}  // namespace serial
