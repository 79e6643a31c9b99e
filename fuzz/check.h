// SPDX-License-Identifier: GPL-3.0-or-later
// What a fuzz target asserts: a broken property aborts, so the fuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
