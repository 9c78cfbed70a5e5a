#include "gauge/reply_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/fake_port.h"

namespace {

// The gauge does not know "Q", so the test puts every reply byte on the line itself, in pieces,
// one per read: the reply completes exactly when what was read since the command ends in LF, and
// stays complete without reading more.
TEST(ReplyExchange, ReplyCompletesOnlyWhenTheInputEndsInLineFeed) {
    testsupport::FakePort port;
    port.open();
    gauge::ReplyExchange exchange;
    const std::vector<std::vector<std::string>> arrivals = {
        {"12\r\n"}, {"", "1", "2\r", "", "\n"}, {"12\r", "\n"}, {"A\r\nB", "\r", "\n"},
        {"\n"},     {"late\r\n1\r\n"}};
    for (const auto& pieces : arrivals) {
        exchange.sendCommand(port, "Q");
        std::string read;
        for (const std::string& piece : pieces) {
            port.injectInput(piece);
            read += piece;
            EXPECT_EQ(exchange.collectReply(port), read.ends_with('\n')) << read;
            EXPECT_EQ(exchange.buffer(), read);
        }
        port.injectInput("noise\r\n");
        EXPECT_TRUE(exchange.collectReply(port));
        EXPECT_EQ(exchange.buffer(), read);
        EXPECT_EQ(port.pending(), "noise\r\n");
        port.readAllPending();
    }
    EXPECT_EQ(port.written(), "Q\rQ\rQ\rQ\rQ\rQ\r");
}

TEST(PointLineOfReply, RemovesExactlyTheLineEnd) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"1.23\tN\r\n", "1.23\tN"}, {"1.23\tN\n", "1.23\tN"}, {"\r\n", ""}, {"\n", ""},
        {"A\r\r\n", "A\r"}, {"A\r\nB\r\n", "A\r\nB"}, {"\xB0\xFF\r\n", "\xB0\xFF"},
        {"12\r", "12\r"}, {"", ""}};
    // clang-format on
    for (const auto& [reply, pointLine] : cases) {
        EXPECT_EQ(gauge::pointLineOfReply(reply), pointLine) << '"' << reply << '"';
    }
}

}  // namespace
