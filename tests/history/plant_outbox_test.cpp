#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "history/background_sender.h"
#include "history/local_history.h"
#include "history/plant_database.h"
#include "support/plant_server.h"
#include "support/temp_folder.h"

namespace {

using history::LocalHistory;
using history::SendReport;

// Stops the server and starts it again: no other test may use it meanwhile.
class PlantOutboxTest : public planttest::PlantServerTest {
public:
    PlantOutboxTest() { m_stopsServer = true; }

protected:
    static void server(const char* action) {
        ASSERT_EQ(std::system((variable("QORB_TEST_POSTGRES_CONTROL") + " " + action).c_str()), 0);
    }
};

std::string shown(const SendReport& report) {
    return std::to_string(report.sent) + " sent, " + std::to_string(report.waiting) + " waiting" +
           (report.reason.empty() ? "" : ": " + report.reason);
}

// The local history is the outbox: what cannot go waits with libpq's reason, goes once the server
// is back, and is stored once, also when it reached the server before its mark was written.
TEST_F(PlantOutboxTest, DownloadsWaitWhileTheServerIsAwayAndGoOnceWhenItIsBack) {
    const testsupport::TempFolder folder;
    LocalHistory local(folder.file("history.sqlite"), LocalHistory::Access::Write);
    local.add(planttest::hostileDownload("7e1f0c2a-first"));
    EXPECT_EQ(shown(history::sendWaiting(local, "host=127.0.0.1 port=1 dbname=quality")),
              "0 sent, 1 waiting: plant database quality on 127.0.0.1:1: connection to server at "
              "\"127.0.0.1\", port 1 failed: Connection refused Is the server running on that host "
              "and accepting TCP/IP connections?");
    EXPECT_EQ(shown(history::sendWaiting(local, owner())), "1 sent, 0 waiting");

    server("stop");
    local.add(planttest::hostileDownload("7e1f0c2a-second"));
    local.add(planttest::hostileDownload("7e1f0c2a-third"));
    const SendReport away = history::sendWaiting(local, owner());
    server("start");
    EXPECT_EQ(shown(away).substr(0, 18), "0 sent, 2 waiting:");
    EXPECT_EQ(local.counts().waiting, 2);

    // The second reached the server, but its mark did not reach the local history.
    EXPECT_TRUE(history::PlantDatabase(owner()).send(*local.read("7e1f0c2a-second")));
    EXPECT_EQ(shown(history::sendWaiting(local, owner())), "2 sent, 0 waiting");
    EXPECT_EQ(local.counts().waiting, 0);
    EXPECT_EQ(query(owner(), "SELECT string_agg(uid, ' ' ORDER BY id) FROM downloads"),
              "7e1f0c2a-first 7e1f0c2a-second 7e1f0c2a-third");
    EXPECT_EQ(query(owner(), "SELECT count(*) FROM points"), "9");
}

// The window's sender: each round goes beside the caller and says what became of it; a history
// not made yet has nothing waiting and is left unmade.
class BackgroundSenderTest : public planttest::PlantServerTest {};

TEST_F(BackgroundSenderTest, SendsBesideTheCallerAndMakesNoHistory) {
    const testsupport::TempFolder folder;
    const auto reportOf = [](const history::BackgroundSender& sender) {
        for (int wait = 0; wait < 1000 && !sender.lastReport(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return sender.lastReport() ? shown(*sender.lastReport()) : "no report";
    };
    const std::string none = folder.file("none.sqlite");
    {
        history::BackgroundSender sender;
        sender.sendWaiting(none, owner());
        EXPECT_EQ(reportOf(sender), "0 sent, 0 waiting");
    }
    EXPECT_FALSE(std::filesystem::exists(none));

    const std::string path = folder.file("history.sqlite");
    LocalHistory(path, LocalHistory::Access::Write).add(planttest::hostileDownload("7e1f0c2a-w"));
    history::BackgroundSender sender;
    sender.sendWaiting(path, owner());
    EXPECT_EQ(reportOf(sender), "1 sent, 0 waiting");
    EXPECT_EQ(LocalHistory(path, LocalHistory::Access::Read).counts().waiting, 0);
}

}  // namespace
