#include "gauge/reply_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "gauge/commands.h"
#include "support/fake_port.h"

namespace {

// A gauge with known points, so every command has a known answer.
gaugesim::GaugeConfig smallGauge() {
    gaugesim::GaugeConfig config;
    config.statisticsPoints = {"AVG\t12.5"};
    config.memoryPoints = {"1.23\tN"};
    return config;
}

class ReplyExchangeTest : public testing::Test {
protected:
    ReplyExchangeTest() : m_port(smallGauge()) { m_port.open(); }

    testsupport::FakePort m_port;
    gauge::ReplyExchange m_exchange;
};

TEST_F(ReplyExchangeTest, EachCommandIsItsLettersAndOneCarriageReturnInOneWrite) {
    const std::pair<std::string_view, std::string> commands[] = {
        {gauge::kStatisticsOpen, "NZ\r"}, {gauge::kStatisticsCount, "NC\r"},
        {gauge::kStatisticsNext, "NN\r"}, {gauge::kMemoryOpen, "MZ\r"},
        {gauge::kMemoryCount, "MC\r"},    {gauge::kMemoryNext, "MN\r"},
        {gauge::kVersion, "\x56\x0D"},
    };
    std::string expected;
    for (const auto& [letters, bytes] : commands) {
        m_exchange.sendCommand(m_port, letters);
        expected += bytes;
        EXPECT_EQ(m_port.written(), expected) << letters;
    }
}

// The reply "12" CR LF cut into two pieces at every position: it completes exactly when the
// piece holding the LF has been read.
TEST_F(ReplyExchangeTest, ReplySplitAtEveryByteCompletesOnlyWithTheLineFeed) {
    const std::string reply = "12\r\n";
    for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
        m_port.holdReplies(true);
        m_exchange.sendCommand(m_port, gauge::kStatisticsCount);
        m_port.holdReplies(false);
        m_port.injectInput(reply.substr(0, cut));
        EXPECT_EQ(m_exchange.collectReply(m_port), cut == reply.size()) << "cut " << cut;
        m_port.injectInput(reply.substr(cut));
        EXPECT_TRUE(m_exchange.collectReply(m_port)) << "cut " << cut;
        EXPECT_EQ(m_exchange.buffer(), "12\r\n") << "cut " << cut;
    }
}

TEST_F(ReplyExchangeTest, ReplyByteByByteCompletesOnTheLastRead) {
    m_exchange.sendCommand(m_port, gauge::kMemoryNext);
    m_port.setPieceSize(1);
    int reads = 0;
    while (!m_exchange.collectReply(m_port)) {
        ++reads;
        ASSERT_LT(reads, 20);
    }
    EXPECT_EQ(reads + 1, 8);
    EXPECT_EQ(m_exchange.buffer(), "1.23\tN\r\n");
}

TEST_F(ReplyExchangeTest, TextAfterTheLineFeedInOneReadKeepsTheReplyOpen) {
    m_port.holdReplies(true);
    m_exchange.sendCommand(m_port, gauge::kMemoryNext);
    m_port.injectInput("A\r\nB");
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    m_port.injectInput("\r");
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    m_port.injectInput("\n");
    EXPECT_TRUE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_exchange.buffer(), "A\r\nB\r\n");
}

TEST_F(ReplyExchangeTest, EmptyReadsChangeNothingAndACarriageReturnAloneDoesNotComplete) {
    m_port.holdReplies(true);
    m_exchange.sendCommand(m_port, gauge::kMemoryCount);
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_exchange.buffer(), "");
    m_port.injectInput("3\r");
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    EXPECT_FALSE(m_exchange.complete());
    EXPECT_EQ(m_exchange.buffer(), "3\r");
    m_port.injectInput("\n");
    EXPECT_TRUE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_exchange.buffer(), "3\r\n");
}

TEST_F(ReplyExchangeTest, PendingInputBeforeTheCommandBecomesTheStartOfTheReply) {
    m_port.injectInput("late\r\n");
    m_exchange.sendCommand(m_port, gauge::kMemoryCount);
    EXPECT_EQ(m_port.pending(), "late\r\n1\r\n");
    EXPECT_TRUE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_exchange.buffer(), "late\r\n1\r\n");
}

TEST_F(ReplyExchangeTest, CompleteReplyIsNotExtendedByLaterInput) {
    m_exchange.sendCommand(m_port, gauge::kMemoryCount);
    ASSERT_TRUE(m_exchange.collectReply(m_port));
    m_port.injectInput("noise\r\n");
    const int readsBefore = m_port.readCount();
    EXPECT_TRUE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_port.readCount(), readsBefore);
    EXPECT_EQ(m_exchange.buffer(), "1\r\n");
    EXPECT_EQ(m_port.pending(), "noise\r\n");
}

TEST_F(ReplyExchangeTest, SendingStartsAFreshReply) {
    m_exchange.sendCommand(m_port, gauge::kMemoryCount);
    ASSERT_TRUE(m_exchange.collectReply(m_port));
    m_port.holdReplies(true);
    m_exchange.sendCommand(m_port, gauge::kMemoryNext);
    EXPECT_FALSE(m_exchange.complete());
    EXPECT_EQ(m_exchange.buffer(), "");
    EXPECT_FALSE(m_exchange.collectReply(m_port));
    m_port.releaseHeldReplies();
    EXPECT_TRUE(m_exchange.collectReply(m_port));
    EXPECT_EQ(m_exchange.buffer(), "1.23\tN\r\n");
}

TEST_F(ReplyExchangeTest, UnpluggedPortRaisesAndLeavesTheReplyOpen) {
    m_port.holdReplies(true);
    m_exchange.sendCommand(m_port, gauge::kMemoryCount);
    m_port.injectInput("2");
    m_port.unplug();
    EXPECT_ANY_THROW(m_exchange.collectReply(m_port));
    EXPECT_FALSE(m_exchange.complete());
    EXPECT_EQ(m_exchange.buffer(), "");
}

TEST(PointLineOfReply, RemovesExactlyTheLineEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"1.23\tN\r\n", "1.23\tN"},
        {"1.23\tN\n", "1.23\tN"},  // a bare LF keeps the last data character
        {"\n", ""},
        {"\r\n", ""},
        {"A\r\r\n", "A\r"},
        {"A\t1\r\nB\t2\r\n", "A\t1\r\nB\t2"},
        {"\tA\t\t1.5\t\r\n", "\tA\t\t1.5\t"},
        {"\xB0\xFF\x80\r\n", "\xB0\xFF\x80"},
        {"D\t7\r\n", "D\t7"},
        {"12\r", "12\r"},
        {"", ""},
    };
    for (const auto& [reply, pointLine] : cases) {
        EXPECT_EQ(gauge::pointLineOfReply(reply), pointLine) << '"' << reply << '"';
    }
}

}  // namespace
