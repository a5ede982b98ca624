// Where a frame record lies on riscv64: just below the frame pointer (s0),
// which points at the caller's stack pointer. The caller's frame pointer is
// at s0 - 16 and the return address (the saved ra) at s0 - 8.
#pragma once

#include <cstdint>

namespace rt {

constexpr intptr_t FRAME_RECORD_OFFSET = -16;

}  // namespace rt
