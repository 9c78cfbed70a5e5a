// Reply assembly fed the input in pieces cut where the fuzz data says: the reply holds everything
// read since its command, completes exactly when that ends in LF, and then reads no further.
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
    exchange.sendCommand(port, "MN");
    std::string read, left;
    while (provider.remaining_bytes() > 0) {
        const std::string piece =
            provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 24));
        port.injectInput(piece);
        (exchange.complete() ? left : read) += piece;
        exchange.collectReply(port);
        FUZZ_CHECK(exchange.buffer() == read && port.pending() == left);
        FUZZ_CHECK(exchange.complete() == read.ends_with('\n'));
    }
    return 0;
}
