#include "settings/settings_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_folder.h"

namespace {

using settings::SettingsFolders;

// Where the files are written < where they start from | where links are looked for.
std::string shown(const SettingsFolders& folders) {
    std::string text = folders.home + " < " + folders.startingPoint + " |";
    for (const std::string& folder : folders.linkFolders) {
        text += " " + folder;
    }
    return text;
}

TEST(SettingsFoldersTest, AProgramFolderNotTheUsersHandsItsFilesToThePerUserFolder) {
    using settings::settingsFolders;
    EXPECT_EQ(shown(settingsFolders("/opt/qorb", true, "/home/op/q")), "/opt/qorb <  | /opt/qorb");
    EXPECT_EQ(shown(settingsFolders("/opt/qorb", false, "/home/op/q")),
              "/home/op/q < /opt/qorb | /home/op/q /opt/qorb");
    EXPECT_EQ(shown(settingsFolders("/opt/qorb", false, "")), "/opt/qorb <  | /opt/qorb");
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
