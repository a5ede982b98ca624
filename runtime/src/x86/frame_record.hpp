// Where a frame record lies on x86: at the frame pointer (ebp, rbp), which
// points at the caller's frame pointer, with the return address above it.
#pragma once

#include <cstdint>

namespace rt {

constexpr intptr_t FRAME_RECORD_OFFSET = 0;

}  // namespace rt
