#include "settings/settings_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_folder.h"

namespace {

using settings::SettingsFolders;

TEST(SettingsFoldersTest, AProgramFolderNotTheUsersHandsItsFilesToThePerUserFolder) {
    struct Case {
        bool writable;
        const char* userFolder;
        SettingsFolders expected;
    };
    const Case cases[] = {
        {true, "/home/op/.config/qorb", {"/opt/qorb", "", {"/opt/qorb"}}},
        {false,
         "/home/op/.config/qorb",
         {"/home/op/.config/qorb", "/opt/qorb", {"/home/op/.config/qorb", "/opt/qorb"}}},
        {false, "", {"/opt/qorb", "", {"/opt/qorb"}}},
    };
    for (const Case& c : cases) {
        const SettingsFolders folders =
            settings::settingsFolders("/opt/qorb", c.writable, c.userFolder);
        EXPECT_EQ(folders.home, c.expected.home);
        EXPECT_EQ(folders.startingPoint, c.expected.startingPoint);
        EXPECT_EQ(folders.linkFolders, c.expected.linkFolders);
    }
}

// The program folder's copy is the starting point until the user has one; the user's folder is
// made by the first write.
TEST(SettingsFoldersTest, ReadsTheProgramFoldersCopyUntilTheUserHasOne) {
    const testsupport::TempFolder program;
    const testsupport::TempFolder home;
    const std::string user = home.file("config/qorb-memory-to-file");
    const SettingsFolders folders = settings::settingsFolders(program.path().string(), false, user);
    const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(folders.readPath("avrbl.txt"), program.file("avrbl.txt"));
    const std::string written = folders.writePath("avrbl.txt");
    EXPECT_EQ(written, user + separator + "avrbl.txt");
    testsupport::writeBytes(written, "0\r\n");
    EXPECT_EQ(folders.readPath("avrbl.txt"), written);

    EXPECT_TRUE(settings::folderWritable(program.path().string()));
    EXPECT_FALSE(settings::folderWritable(program.file("missing")));
#ifndef _WIN32
    EXPECT_FALSE(settings::folderWritable("/proc"));  // refused even to root
#endif
}

#ifndef _WIN32
TEST(SettingsFoldersTest, PerUserFolderFollowsTheBaseDirectoryVariables) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string config = savedConfig ? savedConfig : "";
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(settings::userSettingsFolder(), "/xdg/qorb-memory-to-file");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(settings::userSettingsFolder(), home + "/.config/qorb-memory-to-file");
    if (savedConfig) {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}
#endif

}  // namespace
