#pragma once

#include <cstdio>
#include <cstdlib>

namespace testsupport {

[[noreturn]] inline void fuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

}  // namespace testsupport

// A failed check names itself and aborts, which libFuzzer reports as a finding and keeps the
// input. Unlike assert it stays on in every build.
#define FUZZ_CHECK(condition) \
    ((condition) ? void(0) : ::testsupport::fuzzCheckFailed(#condition, __FILE__, __LINE__))
