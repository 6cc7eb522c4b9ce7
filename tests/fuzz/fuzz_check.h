// An invariant check that stops the fuzzer (or the replay) at the first
// broken invariant, with a message saying which.
#pragma once

#include <cstdio>
#include <cstdlib>

#define ZELO_FUZZ_CHECK(condition, what)                                       \
    do {                                                                       \
        if (!(condition)) {                                                    \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what,       \
                         __FILE__, __LINE__);                                  \
            std::abort();                                                      \
        }                                                                      \
    } while (0)

// Invariant checks that walk whole memories need no coverage feedback: left
// uninstrumented they do not slow the fuzzer down.
#if defined(__clang__)
#define ZELO_FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define ZELO_FUZZ_NO_COVERAGE
#endif
