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
