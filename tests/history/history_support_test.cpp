#include <gtest/gtest.h>
#include <algorithm>

#include <cstdlib>
#include <string>

#include "history/history_place.h"
#include "history/history_state.h"
#include "history/network_share.h"
#include "history/sha256.h"
#include "history/system_identity.h"
#include "history/uuid.h"
#include "support/temp_folder.h"

namespace {

// FIPS 180-2's examples, the 448-bit one fed in pieces as a download's lines are.
TEST(HistorySupportTest, Sha256GivesThePublishedDigests) {
    const struct {
        std::vector<std::string> pieces;
        const char* digest;
    } cases[] = {
        {{"abc"}, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {{}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {{"abcdbcdecdefdefgefgh", "", "fghighijhijkijkljklmklmnlmnomnopnopq"},
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& c : cases) {
        history::Sha256 hasher;
        for (const std::string& piece : c.pieces) {
            hasher.add(piece);
        }
        EXPECT_EQ(hasher.hexDigest(), c.digest);
    }
}

// 'x' stands for a lower-case hex digit, 'y' for one of 8, 9, a and b; any other character for
// itself. (Not std::regex: GCC 12 warns of its own code in the sanitized build.)
bool hasUuidShape(const std::string& text) {
    const std::string_view shape = "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx";
    return text.size() == shape.size() &&
           std::equal(shape.begin(), shape.end(), text.begin(), [](char want, char got) {
               const std::string_view digits = want == 'y' ? "89ab" : "0123456789abcdef";
               return want == 'x' || want == 'y' ? digits.find(got) != std::string_view::npos
                                                 : want == got;
           });
}

TEST(HistorySupportTest, UuidIsRandomVersion4InLowerCase) {
    const std::string first = history::randomUuid();
    EXPECT_TRUE(hasUuidShape(first)) << first;
    EXPECT_FALSE(hasUuidShape("0f2c4e8a-1b3d-5f70-9a2c-4e6b8d0f1a3c"));
    EXPECT_NE(history::randomUuid(), first);
}

TEST(HistorySupportTest, HistoryLivesBesideTheSettingsOnlyInTheProgramsOwnFolder) {
    const settings::SettingsFolders portable{"/opt/q", {}, {}};
    const settings::SettingsFolders installed{"/home/op/.config/qorb-memory-to-file", "/opt/q", {}};
    const struct {
        const settings::SettingsFolders& folders;
        history::PlaceEnvironment environment;
        const char* path;
    } cases[] = {
#ifdef _WIN32
        {portable, {{}, {}, "C:\\Users\\op\\AppData\\Local"}, "/opt/q\\history.sqlite"},
        {installed,
         {{}, {}, "C:\\Users\\op\\AppData\\Local"},
         "C:\\Users\\op\\AppData\\Local\\qorb-memory-to-file\\history.sqlite"},
        {installed, {}, "/home/op/.config/qorb-memory-to-file\\history.sqlite"},
#else
        {portable, {"/xdg", "/home/op", {}}, "/opt/q/history.sqlite"},
        {installed, {"/xdg", "/home/op", {}}, "/xdg/qorb-memory-to-file/history.sqlite"},
        {installed,
         {"relative", "/home/op", {}},
         "/home/op/.local/share/qorb-memory-to-file/history.sqlite"},
        {installed, {}, "/home/op/.config/qorb-memory-to-file/history.sqlite"},
#endif
    };
    for (const auto& c : cases) {
        EXPECT_EQ(history::historyPath(c.folders, "/opt/q", c.environment), c.path);
    }
#ifndef _WIN32
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string data = saved ? saved : "";
    setenv("XDG_DATA_HOME", "/xdg", 1);
    EXPECT_EQ(history::defaultHistoryPath(installed, "/opt/q"),
              "/xdg/qorb-memory-to-file/history.sqlite");
    saved ? setenv("XDG_DATA_HOME", data.c_str(), 1) : unsetenv("XDG_DATA_HOME");
#endif
}

TEST(HistorySupportTest, NetworkSharesAreToldFromLocalDisks) {
    EXPECT_EQ(history::networkFileSystemName(0x6969), "NFS");
    EXPECT_EQ(history::networkFileSystemName(0xFF534D42), "SMB/CIFS");
    EXPECT_EQ(history::networkFileSystemName(0xEF53), std::nullopt);  // ext4
    for (const char* unc : {"\\\\server\\share\\h.sqlite", "//server/share", "\\\\?\\UNC\\s\\x"}) {
        EXPECT_TRUE(history::isUncPath(unc)) << unc;
    }
    for (const char* local : {"C:\\q\\h.sqlite", "/home/op", "\\\\?\\C:\\q", "\\q", "///x"}) {
        EXPECT_FALSE(history::isUncPath(local)) << local;
    }
    const testsupport::TempFolder folder;
    EXPECT_EQ(history::networkShareOf(folder.path().string()), std::nullopt);
}

TEST(HistorySupportTest, SystemIdentityNamesTheComputerAndTheAccount) {
    const history::SystemIdentity identity = history::systemIdentity();
    EXPECT_FALSE(identity.host.empty());
    EXPECT_FALSE(identity.account.empty());
}

// The dialog's words for what the history holds and what became of sending it.
TEST(HistorySupportTest, HistoryStateSaysWhatIsHeldAndWhatWaitsAndWhy) {
    using history::historyStateText;
    const history::SendReport refused{0, 3, "could not connect to server"};
    EXPECT_EQ(historyStateText({1, 0}, false, std::nullopt), "1 download in the history");
    EXPECT_EQ(historyStateText({0, 0}, true, std::nullopt), "0 downloads in the history");
    EXPECT_EQ(historyStateText({214, 0}, true, std::nullopt),
              "214 downloads in the history; all sent to the plant database");
    EXPECT_EQ(historyStateText({214, 3}, false, refused), "214 downloads in the history");
    EXPECT_EQ(historyStateText({214, 1}, true, std::nullopt),
              "1 download waiting to be sent to the plant database (214 downloads in the history)");
    // The count is the history's own, the reason the last send's.
    EXPECT_EQ(historyStateText({214, 5}, true, refused),
              "5 downloads waiting to be sent: could not connect to server");
    EXPECT_EQ(history::waitingText({2, 0, ""}), "0 downloads waiting to be sent");
}

}  // namespace
