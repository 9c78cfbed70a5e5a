#pragma once

#include <cstdio>
#include <cstdlib>

// A failed check names itself and aborts, which libFuzzer reports as a finding and keeps the
// input. Unlike assert it stays on in every build.
#define FUZZ_CHECK(condition)                                                                  \
    ((condition)                                                                               \
         ? void(0)                                                                             \
         : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
