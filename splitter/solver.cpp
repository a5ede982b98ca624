// Ordering the items longest first and placing each on half 1 while it fits.
#include <cstddef>
#include <cstdint>

#include "runtime/startup.hpp"
#include "sort_window.hpp"
#include "splitter.hpp"

using namespace rt;
using namespace window;

// A test build defines SORT_TRACE to record each call of SORT, and SORT_ROOM
// to choose how much stack the sort may count on; here they are nothing and
// the room left on the program stack.
#ifndef SORT_TRACE
#define SORT_TRACE(L, R)
#endif
#ifndef SORT_ROOM
#define SORT_ROOM() rt::STACK_ROOM()
#endif

// The scans entry by entry, with no check: the pivot stops both within
// B[L..R]. Few registers and no stack: near the stack's guard SORT takes
// this partition, so that what runs into the guard is always the next SORT.
[[gnu::noinline]] SCANS window::scan_partition(int32_t L, int32_t R, int32_t X) {
  return scans(L, R, X);
}

namespace {

// The bytes of stack one level of SORT takes at most, on every target (32 on
// the 64-bit ones, 48 on 32-bit Windows), what sort_part needs besides, and
// more than window_partition saves.
constexpr uintptr_t SORT_LEVEL_MOST = 128;
constexpr uintptr_t SORT_PART_ROOM = 4096;
constexpr uintptr_t WINDOW_ROOM = 1024;

// The stack SORT's calls over a part of span + 1 entries can take at most:
// a part's calls nest no deeper than it has entries.
inline uintptr_t deepest(int32_t span) {
  return (static_cast<uintptr_t>(span) + 1) * SORT_LEVEL_MOST + SORT_PART_ROOM;
}

// The parts of two or three entries, which SORT's calls sort with no
// window: B[L..L+1] (pivot the left one), or B[L..L+2] (pivot the middle
// one) and the part of two that may be left. Neither leaves any other part.
[[gnu::always_inline]] inline void sort_two(SOMETYPE* items, POS L) {
  // The scans swap the two when the right one is at least as long (I = L + 1,
  // J = L), and otherwise the left one with itself (I = L + 1, J = L - 1).
  swap_entries(items, L, L + (items[L + 1].VALUE >= items[L].VALUE));
}
[[gnu::always_inline]] inline void sort_tiny(SOMETYPE* items, POS L, POS R) {
  if (R - L == 1) {
    sort_two(items, L);
    return;
  }
  // The left scan stops at L unless the left entry is longer (p), and the
  // right scan at R unless the right one is shorter (q). Both stopped early
  // leaves only the pivot, swapped with itself (I = L + 2, J = L); the left
  // one alone swaps the pivot with the right entry (I = L + 2, J = L + 1);
  // the right one alone swaps the left entry with the pivot (I = L + 1,
  // J = L); neither swaps the outer two, then the pivot with itself
  // (I = L + 2, J = L). The part of two left is B[L+1..L+2] or B[L..L+1].
  const int32_t X = items[L + 1].VALUE;
  const POS p = items[L].VALUE > X;
  const POS q = items[R].VALUE < X;
  swap_entries(items, L + p, q != 0 ? L + 1 : R);
  if (p != q) {
    const POS two = L + (p < q);
    SORT_TRACE(two, two + 1);
    sort_two(items, two);
  }
}

// B[L..R], 0 <= L <= R <= NSIZE, sorted as SORT's calls would sort it: the
// same partitions, each part's right one before its left one, but no call of
// SORT. Its calls could raise nothing (their bounds lie within B, their sums
// are small) but stack exhaustion, and SORT takes this way only where the
// stack has room for the deepest of them; this needs less. A part of two or
// three entries is sorted as soon as it is the next; the other left parts
// still to sort wait in `pending`, the latest last; when it is full, a call
// of its own takes the right part.
[[gnu::noinline]] void sort_part(POS L, POS R) {
  constexpr int32_t DEPTH = 64;
  struct PART {
    POS L;
    POS R;
  } pending[DEPTH];
  PART* waiting = pending;
  SOMETYPE* const items = entries();
  for (;;) {
    if (R - L <= 2) {
      if (R > L) sort_tiny(items, L, R);  // one entry is swapped with itself
      if (waiting == pending) return;
      --waiting;
      L = waiting->L;
      R = waiting->R;
      SORT_TRACE(L, R);
      continue;
    }
    const int32_t X = items[(L + R) >> 1].VALUE;
    // A part of up to SCANS_MOST entries by the scans entry by entry, a
    // larger one window after window.
    const SCANS S = R - L < SCANS_MOST
                        ? scans(static_cast<int32_t>(L), static_cast<int32_t>(R), X)
                        : window_partition(static_cast<int32_t>(L), static_cast<int32_t>(R), X);
    const POS I = S.I;
    const POS J = S.J;
    // The next part in the order of SORT's calls.
    if (I < R) {
      if (J > L) {
        if (waiting == pending + DEPTH) {
          SORT_TRACE(I, R);
          sort_part(I, R);
          R = J;
        } else {
          *waiting++ = {L, J};
          L = I;
        }
      } else {
        L = I;
      }
    } else if (J > L) {
      R = J;
    } else {
      if (waiting == pending) return;
      --waiting;
      L = waiting->L;
      R = waiting->R;
    }
    SORT_TRACE(L, R);
  }
}

}  // namespace

// A quicksort with the middle element as pivot. Strict comparisons stop both
// scans at entries equal to the pivot, and the right part is sorted first.
void SORT(int32_t L, int32_t R) {
  SORT_TRACE(L, R);
  const int32_t X = B[CHECKED_ADD(L, R) / 2].VALUE;
  if (L > R) {
    // Nothing to swap or to sort, but the scans still run, and their range
    // checks fail where they leave B.
    int32_t I = L;
    while (B[I].VALUE > X)
      I = CHECKED_ADD(I, 1);
    int32_t J = R;
    while (B[J].VALUE < X)
      J = CHECKED_SUB(J, 1);
    return;
  }
  // The pivot stops both scans within B[L..R], so the checks of L and R cover
  // every access of the partition; when either lies outside B, the scans'
  // first access to it fails.
  CHECK_RANGE(L, B.ENTRIES.RANGE);
  CHECK_RANGE(R, B.ENTRIES.RANGE);
  // Where the stack holds the deepest the calls could go, none of them can
  // fail, and the part is sorted with no call at all.
  const uintptr_t room = SORT_ROOM();
  if (room >= deepest(R - L)) {
    sort_part(L, R);
    return;
  }
  const SCANS S =
      WINDOWS && room >= WINDOW_ROOM ? window_partition(L, R, X) : scan_partition(L, R, X);
  if (S.I < S.R) SORT(S.I, S.R);
  if (S.J > L) SORT(L, S.J);
}

// Greedy: half 1 takes an item when it still fits (an exact fit included),
// half 2 takes it otherwise without a test; the verdict checks both halves.
void SOLVE2() {
  int32_t C1 = 0;
  int32_t C2 = 0;
  const int32_t capacity = L2;
  const int32_t count = N;
  // Every I up to NSIZE passes its check, so only one beyond is made.
  const SOMETYPE* const end = entries() + (count < NSIZE ? count : NSIZE);
  for (const SOMETYPE* item = entries() + 1; item <= end; ++item) {
    const int32_t first = CHECKED_ADD(item->VALUE, C1);
    if (first <= capacity) {
      C1 = first;
      OUT[item->INDEX] = 1;
    } else {
      C2 = CHECKED_ADD(C2, item->VALUE);
      OUT[item->INDEX] = 2;
    }
  }
  if (count > NSIZE) static_cast<void>(B[NSIZE + 1]);
  ANS = (C1 > capacity || C2 > capacity) ? 0 : 1;
}
