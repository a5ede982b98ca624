// The loop of the sort's partitions for renderings with windows of entries
// and masks of their stoppers, written once over their primitives: a part
// window after window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

namespace window {

static_assert(WIDTH <= SORT_WINDOW, "a window may run on into B's slack, no further");

// The right stoppers of the window that ends at B[top], top >= 0; below
// B[0] there are none.
[[gnu::always_inline]] inline MASK right_window_to(const SOMETYPE* items, POS top, const PIVOT& x) {
  const POS beyond = top >= WIDTH - 1 ? 0 : WIDTH - 1 - top;  // past top, read all the same
  return moved_back(right_window(items + top + beyond, x), beyond);
}

// The loop of SORT over B[L..R], 0 <= L <= R <= NSIZE, with the pivot value X
// taken from within: the same swaps and the same final I and J as the scans
// entry by entry, with few branches that depend on the values.
//
// Let p_k be the k-th left stopper from L (VALUE <= X) and q_k the k-th
// right stopper from R (VALUE >= X). Between the scan positions nothing has
// been swapped yet, and the scans stop at stoppers or at the entries the
// last swap changed, so round k of the loop swaps p_k with q_k, and the loop
// ends at the first round K + 1 with p_k > q_k (p rises and q falls, so it
// never resumes); or sooner, right after a swap that leaves I > J, which is
// the same as p_(K+1) > q_(K+1). At the end I is the smaller of p_(K+1) and
// q_K, J = I - 1; unless the last swap was of an entry with itself
// (p_K = q_K), when the scans stepped past it to I = p_K + 1 and J = p_K - 1.
//
// Windows of WIDTH entries, the left ones from L upwards, the right ones
// from R downwards, are read when the last is used up, until they pass R or
// B[0]; then a lone sentinel bit stands in, which ends the loop. A window
// may reach past the part, or hold bits for entries a swap changed after (or
// before) it was read: those lie beyond the last q swapped (left) or p
// (right), where they end the loop as a crossing would, with the same I.
//
// It keeps its state in registers it may have to save: SORT takes it only
// where the stack has room for them (scan_partition otherwise).
[[gnu::noinline]] inline SCANS window_partition(int32_t L, int32_t R, int32_t X) {
  SOMETYPE* const items = entries();
  const PIVOT x = pivot(X);
  // The first windows are read as the later ones, from one place each.
  POS base = L - WIDTH;  // of the left window
  POS top = R + WIDTH;   // of the right window
  MASK left = 0;
  MASK right = 0;
  POS q_last = R + 1;
  for (;;) {
    while (left == 0) {
      base += WIDTH;
      if (base > R) {
        left = FIRST_ONLY;
        break;
      }
      left = left_window(items + base, x);
    }
    while (right == 0) {
      top -= WIDTH;
      if (top < 0) {
        right = FIRST_ONLY;
        break;
      }
      right = right_window_to(items, top, x);
    }
    // Two full windows can only be two just read, since every round below
    // uses up a stopper of each.
    if (left == ALL && right == ALL && top >= base) {
      // In order: p_k = base + k - 1 and q_k = top - k + 1.
      if (top - base >= 2 * WIDTH) {
        // Far enough apart that the loop goes on past them: all swap.
        swap_blocks(items, base, top);
        q_last = top - (WIDTH - 1);
        left = 0;
        right = 0;
        continue;
      }
      // The loop swaps them until they meet, which reverses B[base..top],
      // and ends after the swap in the middle.
      reverse_entries(items, base, top);
      const int32_t p = static_cast<int32_t>(base + (top - base) / 2);
      return {p + 1, R, static_cast<int32_t>(top - (top - base) / 2 - 1), 0};
    }
    // Windows more than a window apart: every p lies below every q - 1, so
    // their rounds swap until either window is used up, with no test.
    if (top - base >= 2 * WIDTH) {
      POS q;
      do {
        const POS p = base + first(left);
        q = top - first(right);
        swap_entries(items, p, q);
        left = without_first(left);
        right = without_first(right);
      } while (left != 0 && right != 0);
      q_last = q;
      continue;
    }
    // Rounds until either window is used up; one test ends the loop, both
    // when the scans have crossed and when the swap leaves I > J.
    do {
      const POS p = base + first(left);
      const POS q = top - first(right);
      if (p >= q - 1) {
        if (p > q) {
          const int32_t I = static_cast<int32_t>(q_last < p ? q_last : p);
          return {I, R, I - 1, 0};
        }
        swap_entries(items, p, q);
        return {static_cast<int32_t>(p + 1), R, static_cast<int32_t>(q - 1), 0};
      }
      swap_entries(items, p, q);
      left = without_first(left);
      right = without_first(right);
      q_last = q;
    } while (left != 0 && right != 0);
  }
}

}  // namespace window
