// The hook through which a test build of the solver records each call of
// SORT, defined by the test that links it.
#pragma once

#include <cstdint>

namespace sorttrace {
void record(int32_t L, int32_t R);
}

#define SORT_TRACE(L, R) sorttrace::record(L, R)
