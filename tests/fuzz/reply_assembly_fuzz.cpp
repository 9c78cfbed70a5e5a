// Reply assembly fed the input in pieces cut where the fuzz data says: a reply completes exactly
// when everything read since its command ends in LF, holds exactly that text, and its point line
// loses only the line end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "gauge/reply_exchange.h"
#include "serial/serial_port.h"

namespace {

// Each read takes the next piece of the input, or nothing once the pieces are used up.
class PiecePort : public serial::SerialPort {
public:
    void setPortNumber(std::int16_t) override {}
    void setLineSettings(std::string_view) override {}
    void setIntegerOption(std::int32_t) override {}
    void open() override {}
    void close() override {}
    bool isOpen() const override { return true; }
    void writeText(std::string_view text) override {
        m_written += text;
        m_readSinceWrite.clear();
    }
    std::string readAllPending() override {
        ++m_reads;
        if (m_pieces.empty()) {
            return {};
        }
        std::string piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_readSinceWrite += piece;
        return piece;
    }

    void addPiece(std::string piece) { m_pieces.push_back(std::move(piece)); }
    bool piecesLeft() const { return !m_pieces.empty(); }
    int reads() const { return m_reads; }
    const std::string& written() const { return m_written; }
    // Every byte handed out since the last write.
    const std::string& readSinceWrite() const { return m_readSinceWrite; }

private:
    std::deque<std::string> m_pieces;
    std::string m_written;
    std::string m_readSinceWrite;
    int m_reads = 0;
};

std::string expectedPointLine(std::string_view reply) {
    if (reply.ends_with("\r\n")) {
        reply.remove_suffix(2);
    } else if (reply.ends_with('\n')) {
        reply.remove_suffix(1);
    }
    return std::string(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    PiecePort port;
    while (provider.remaining_bytes() > 0) {
        const std::size_t length = provider.ConsumeIntegralInRange<std::size_t>(0, 24);
        port.addPiece(provider.ConsumeBytesAsString(length));
    }

    gauge::ReplyExchange exchange;
    std::string expectedWritten;
    // Replies one after another, as the poll ticks of a transfer would collect them.
    while (port.piecesLeft()) {
        const int readsBefore = port.reads();
        exchange.sendCommand(port, "MN");
        expectedWritten += "MN\r";
        FUZZ_CHECK(port.written() == expectedWritten);
        // Sending never reads: input already pending belongs to the next reply.
        FUZZ_CHECK(port.reads() == readsBefore);
        FUZZ_CHECK(exchange.buffer().empty() && !exchange.complete());

        bool complete = false;
        while (!complete && port.piecesLeft()) {
            const int reads = port.reads();
            complete = exchange.collectReply(port);
            FUZZ_CHECK(port.reads() == reads + 1);
            const std::string& readSoFar = port.readSinceWrite();
            FUZZ_CHECK(exchange.buffer() == readSoFar);
            FUZZ_CHECK(complete == exchange.complete());
            FUZZ_CHECK(complete == (!readSoFar.empty() && readSoFar.back() == '\n'));
        }
        if (!complete) {
            break;
        }
        // A complete reply reads no further, and stays complete with its text unchanged.
        const int reads = port.reads();
        FUZZ_CHECK(exchange.collectReply(port));
        FUZZ_CHECK(port.reads() == reads);
        FUZZ_CHECK(exchange.buffer() == port.readSinceWrite());
        FUZZ_CHECK(gauge::pointLineOfReply(exchange.buffer()) ==
                   expectedPointLine(port.readSinceWrite()));
    }
    return 0;
}
