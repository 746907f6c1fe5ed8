#pragma once

// A fuzz target's check: a promise that does not hold stops the run, so that the fuzzer
// keeps the input.
#include <cstdlib>

inline void Check(bool ok)
{
    if (!ok)
        std::abort();
}
