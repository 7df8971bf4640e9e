#pragma once

#include <cstdlib>

namespace twl::fuzz {

// A broken invariant ends the run where libFuzzer keeps the input.
inline void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace twl::fuzz
