// The hooks through which a test build of the solver records each call of
// SORT and tells it how much stack it may count on, defined by the test that
// links it.
#pragma once

#include <cstdint>

namespace sorttrace {
void record(int32_t L, int32_t R);
// The room below `frame` that the run at hand gives the sort.
uintptr_t room(uintptr_t frame);
}  // namespace sorttrace

#define SORT_TRACE(L, R) sorttrace::record(L, R)
#define SORT_ROOM() sorttrace::room(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)))
