// The sort's loops for processors without a vector unit the build may count
// on (riscv64's base profile, 32-bit x86): the scans entry by entry, which
// read each entry as they reach it and stop at the first stopper, with no
// mask to build and no bit to find.
#pragma once

#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

namespace window {

// Every part takes the scans, inline where sort_part takes them.
constexpr bool WINDOWS = false;
constexpr int32_t SCANS_MOST = NSIZE + 1;
[[gnu::always_inline]] inline SCANS window_partition(int32_t L, int32_t R, int32_t X) {
  return scans(L, R, X);
}

inline void swap_entries(SOMETYPE* items, POS a, POS b) {
  exchange(items + a, items + b);
}

}  // namespace window
