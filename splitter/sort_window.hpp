// What the sort's partitions share, and the rendering of their loops for the
// processor the build is for: with a vector unit, windows of entries, the
// masks of their stoppers and the swaps (sort_masks.hpp); without one, the
// scans entry by entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

namespace window {

// Where the loop of a partition of B[L..R] ends, and R: the parts still to
// sort are B[I..R] and B[L..J]. Sixteen bytes come back in two registers, and
// with R among them SORT keeps only L and J across its calls.
struct SCANS {
  int32_t I;
  int32_t R;
  int32_t J;
  int32_t UNUSED;
};

// Positions in B within the sort's loops: the width of an address, so that
// they index B as they are.
using POS = ptrdiff_t;

static_assert(offsetof(ITEMARRAY, ENTRIES) == 0 &&
              sizeof(B.ENTRIES) == sizeof(SOMETYPE) * (NSIZE + 1));
static_assert(sizeof(SOMETYPE) == 8 && offsetof(SOMETYPE, VALUE) == 4 && alignof(ITEMARRAY) == 8);

// B's entries from B[0], addressed through the whole object, so that a
// window may run on into the slack after B[NSIZE].
inline SOMETYPE* entries() {
  return reinterpret_cast<SOMETYPE*>(&B);
}

// Two entries exchanged, each moved as one word.
[[gnu::always_inline]] inline void exchange(SOMETYPE* a, SOMETYPE* b) {
  uint64_t first;
  uint64_t second;
  __builtin_memcpy(&first, __builtin_assume_aligned(a, 8), sizeof first);
  __builtin_memcpy(&second, __builtin_assume_aligned(b, 8), sizeof second);
  __builtin_memcpy(__builtin_assume_aligned(a, 8), &second, sizeof second);
  __builtin_memcpy(__builtin_assume_aligned(b, 8), &first, sizeof first);
}

// The loop of SORT over B[L..R], 0 <= L <= R <= NSIZE, with the pivot value X
// taken from within, by the scans entry by entry, with no check: the pivot
// stops both within B[L..R]. Inline wherever it is taken, and a routine of
// its own, scan_partition, for SORT (solver.cpp).
//
// The loop's test after each swap is left out: when the steps past a swap
// leave the scans crossed, each scan looks next at the entry the other one
// stopped at, now swapped (at most X for the left scan, at least X for the
// right one), so both stay where they are, and the test before the next
// swap ends the loop with the same I and J. An entry swapped with itself is
// the scans meeting, and the steps past it.
[[gnu::always_inline]] inline SCANS scans(int32_t L, int32_t R, int32_t X) {
  SOMETYPE* const items = entries();
  SOMETYPE* I = items + L;
  SOMETYPE* J = items + R;
  while (I->VALUE > X)
    ++I;
  while (J->VALUE < X)
    --J;
  while (I < J) {
    exchange(I, J);
    do
      ++I;
    while (I->VALUE > X);
    do
      --J;
    while (J->VALUE < X);
  }
  const POS met = I == J;
  return {static_cast<int32_t>(I - items + met), R, static_cast<int32_t>(J - items - met), 0};
}
SCANS scan_partition(int32_t L, int32_t R, int32_t X);

}  // namespace window

#if defined(__SSE2__) && defined(__x86_64__)
#include "x86/sort_window.hpp"
#elif defined(__ARM_NEON) && defined(__aarch64__)
#include "aarch64/sort_window.hpp"
#else
#include "portable/sort_window.hpp"
#endif
