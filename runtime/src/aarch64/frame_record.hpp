// Where a frame record lies on arm64: at the frame pointer (x29), which
// points at the caller's frame pointer, with the return address (the saved
// x30) above it.
#pragma once

#include <cstdint>

namespace rt {

constexpr intptr_t FRAME_RECORD_OFFSET = 0;

}  // namespace rt
