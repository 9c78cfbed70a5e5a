// Reply assembly fed the input in pieces cut where the fuzz data says: a reply completes exactly
// when everything read since its command ends in LF, holds exactly that text, reads no further
// once complete, and its point line loses only the line end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "gauge/reply_exchange.h"
#include "support/fake_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    gaugesim::GaugeConfig silent;
    silent.silent = true;  // every byte the exchange reads is one the fuzz data put on the line
    testsupport::FakePort port(silent);
    port.open();
    gauge::ReplyExchange exchange;
    std::string written;
    // Replies one after another, as the poll ticks of a transfer collect them.
    for (bool complete = true; complete && provider.remaining_bytes() > 0;) {
        const int readsBefore = port.readCount();
        exchange.sendCommand(port, "MN");
        written += "MN\r";
        FUZZ_CHECK(port.written() == written);
        // Sending never reads: input already pending belongs to the next reply.
        FUZZ_CHECK(port.readCount() == readsBefore);
        FUZZ_CHECK(exchange.buffer().empty() && !exchange.complete());
        std::string read;
        complete = false;
        while (!complete && provider.remaining_bytes() > 0) {
            const std::string piece =
                provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 24));
            port.injectInput(piece);
            read += piece;
            complete = exchange.collectReply(port);
            FUZZ_CHECK(exchange.buffer() == read && port.pending().empty());
            FUZZ_CHECK(complete == exchange.complete() && complete == read.ends_with('\n'));
        }
        if (complete) {
            port.injectInput("X");
            const int reads = port.readCount();
            FUZZ_CHECK(exchange.collectReply(port) && port.readCount() == reads);
            FUZZ_CHECK(exchange.buffer() == read);
            port.readAllPending();
            const std::size_t lineEnd = read.ends_with("\r\n") ? 2 : 1;
            FUZZ_CHECK(gauge::pointLineOfReply(read) == read.substr(0, read.size() - lineEnd));
        }
    }
    return 0;
}
