#include "gauge/reply_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "gauge/commands.h"
#include "support/fake_port.h"

namespace {

// A gauge that answers nothing: the test puts every reply byte on the line itself.
class ReplyExchangeTest : public testing::Test {
protected:
    ReplyExchangeTest() {
        m_port.gauge() = gaugesim::GaugeModel([] {
            gaugesim::GaugeConfig silent;
            silent.silent = true;
            return silent;
        }());
        m_port.open();
    }

    testsupport::FakePort m_port;
    gauge::ReplyExchange m_exchange;
};

TEST_F(ReplyExchangeTest, EachCommandIsItsLettersAndOneCarriageReturn) {
    for (std::string_view letters :
         {gauge::kStatisticsOpen, gauge::kStatisticsCount, gauge::kStatisticsNext,
          gauge::kMemoryOpen, gauge::kMemoryCount, gauge::kMemoryNext, gauge::kVersion}) {
        m_exchange.sendCommand(m_port, letters);
    }
    EXPECT_EQ(m_port.written(), "NZ\rNC\rNN\rMZ\rMC\rMN\rV\r");
}

// The input arrives in pieces, one per read: the reply completes exactly when what was read since
// the command ends in LF, and stays complete without reading more.
TEST_F(ReplyExchangeTest, ReplyCompletesOnlyWhenTheInputEndsInLineFeed) {
    const std::vector<std::vector<std::string>> arrivals = {
        {"12\r\n"}, {"", "1", "2\r", "", "\n"}, {"12\r", "\n"}, {"A\r\nB", "\r", "\n"},
        {"\n"},     {"late\r\n1\r\n"}};
    for (const auto& pieces : arrivals) {
        m_exchange.sendCommand(m_port, gauge::kMemoryCount);
        std::string read;
        for (const std::string& piece : pieces) {
            m_port.injectInput(piece);
            read += piece;
            EXPECT_EQ(m_exchange.collectReply(m_port), read.ends_with('\n')) << read;
            EXPECT_EQ(m_exchange.buffer(), read);
        }
        m_port.injectInput("noise\r\n");
        EXPECT_TRUE(m_exchange.collectReply(m_port));
        EXPECT_EQ(m_exchange.buffer(), read);
        EXPECT_EQ(m_port.pending(), "noise\r\n");
        m_port.readAllPending();
    }
}

TEST(PointLineOfReply, RemovesExactlyTheLineEnd) {
    const std::pair<std::string, std::string> cases[] = {{"1.23\tN\r\n", "1.23\tN"},
                                                         {"1.23\tN\n", "1.23\tN"},
                                                         {"\r\n", ""},
                                                         {"\n", ""},
                                                         {"A\r\r\n", "A\r"},
                                                         {"A\r\nB\r\n", "A\r\nB"},
                                                         {"\xB0\xFF\r\n", "\xB0\xFF"},
                                                         {"12\r", "12\r"},
                                                         {"", ""}};
    for (const auto& [reply, pointLine] : cases) {
        EXPECT_EQ(gauge::pointLineOfReply(reply), pointLine) << '"' << reply << '"';
    }
}

}  // namespace
