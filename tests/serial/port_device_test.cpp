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

TEST(PortDevice, NumbersOutsideOneToSixteenHaveNoDevice) {
    const std::vector<std::string> ports(20, "/dev/ttyS0");
    for (const std::int16_t number : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{17}}) {
        EXPECT_EQ(portDevice(number, ".", ports), std::nullopt) << number;
    }
}

#ifdef _WIN32

TEST(PortDevice, ComNumberIsTheWindowsDevice) {
    EXPECT_EQ(portDevice(1, ".", {}), "COM1");
    EXPECT_EQ(portDevice(16, ".", {}), "COM16");
}

#else

TEST(DevicePathOrder, ReadsRunsOfDigitsAsNumbers) {
    std::vector<std::string> paths = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM1",
                                      "/dev/ttyS2",   "/dev/ttyS1",  "/dev/ttyS"};
    std::sort(paths.begin(), paths.end(), devicePathLess);
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS", "/dev/ttyS1",
                                               "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
    // Equal numbers written with leading zeros still order strictly, so sorting stays defined.
    EXPECT_TRUE(devicePathLess("/dev/ttyS02", "/dev/ttyS2"));
    EXPECT_FALSE(devicePathLess("/dev/ttyS2", "/dev/ttyS02"));
    EXPECT_FALSE(devicePathLess("/dev/ttyS2", "/dev/ttyS2"));
}

// An empty program folder of its own per test.
class PortDeviceFolder : public ::testing::Test {
protected:
    std::string folder() const { return m_folder.path().string(); }
    // An ordinary file standing in for a device.
    std::string makeDevice(const std::string& name) const {
        testsupport::writeBytes(m_folder.path() / name, "");
        return fs::canonical(m_folder.path() / name).string();
    }
    fs::path path(const std::string& name) const { return m_folder.path() / name; }

    testsupport::TempFolder m_folder;
};

TEST_F(PortDeviceFolder, TheNthSystemPortInDevicePathOrderEachDeviceCountedOnce) {
    const std::vector<std::string> listed = {"/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyS2",
                                             "/dev/ttyS2"};
    EXPECT_EQ(portDevice(1, folder(), listed), "/dev/ttyS2");
    EXPECT_EQ(portDevice(2, folder(), listed), "/dev/ttyS10");
    EXPECT_EQ(portDevice(3, folder(), listed), "/dev/ttyUSB0");
    EXPECT_EQ(portDevice(4, folder(), listed), std::nullopt);
    EXPECT_EQ(portDevice(1, folder(), {}), std::nullopt);
}

TEST_F(PortDeviceFolder, ALinkBeatsTheListForItsNumberOnly) {
    const std::string device = makeDevice("gauge-adapter");
    fs::create_symlink(device, path("com2"));
    const std::vector<std::string> listed = {"/dev/ttyS0", "/dev/ttyS1"};
    EXPECT_EQ(portDevice(2, folder(), listed), device);
    EXPECT_EQ(portDevice(1, folder(), listed), "/dev/ttyS0");
}

TEST_F(PortDeviceFolder, LinksUpToCom16AndChainsOfLinksCountButAnOrdinaryFileIsNoLink) {
    const std::string device = makeDevice("gauge-adapter");
    fs::create_symlink(device, path("com16"));
    EXPECT_EQ(portDevice(16, folder(), {}), device);
    fs::create_symlink(device, path("by-id"));
    fs::create_symlink("by-id", path("com3"));
    EXPECT_EQ(portDevice(3, folder(), {}), device);
    makeDevice("com1");
    EXPECT_EQ(portDevice(1, folder(), {"/dev/ttyS0"}), "/dev/ttyS0");
}

TEST_F(PortDeviceFolder, ADanglingLinkNamesItsMissingTargetRatherThanAnotherPort) {
    fs::create_symlink("unplugged-adapter", path("com1"));
    EXPECT_EQ(portDevice(1, folder(), {"/dev/ttyS0"}), path("unplugged-adapter").string());
}

#endif

}  // namespace
}  // namespace serial
