// Ordering the items longest first and placing each on half 1 while it fits.
#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace rt;

// A test build defines SORT_TRACE to record each call of SORT; here it is
// nothing.
#ifndef SORT_TRACE
#define SORT_TRACE(L, R)
#endif

namespace {

// Where the loop of a partition of B[L..R] ends, and R: the parts still to
// sort are B[I..R] and B[L..J]. Sixteen bytes come back in two registers, and
// with R among them SORT keeps only L and J across its calls.
struct SCANS {
  int32_t I;
  int32_t R;
  int32_t J;
  int32_t UNUSED;
};

static_assert(offsetof(ITEMARRAY, ENTRIES) == 0 &&
              sizeof(B.ENTRIES) == sizeof(SOMETYPE) * (NSIZE + 1));
static_assert(sizeof(SOMETYPE) == 8 && offsetof(SOMETYPE, VALUE) == 4);

// Entry `index` of B, addressed through the whole object so that a window
// may run on into the slack after B[NSIZE].
inline const unsigned char* entry_bytes(int32_t index) {
  return reinterpret_cast<const unsigned char*>(&B) +
         static_cast<ptrdiff_t>(index) * static_cast<ptrdiff_t>(sizeof(SOMETYPE));
}

// Stopper masks. A left stopper is an entry where the scan of I stops (VALUE
// <= X), a right stopper one where the scan of J stops (VALUE >= X). Left
// masks run upwards (bit t for entry base + t), right masks downwards (bit t
// for entry top - t), so that the next stopper on either side is the lowest
// set bit. The primitives give the complements over 16 entries from `at`:
// above16, VALUE > X upwards; below16_down, VALUE < X downwards (bit t for
// entry 15 - t).
#ifdef __SSE2__

// The VALUE fields of four entries, first to last or last to first; each
// entry is INDEX, then VALUE.
inline __m128i values4(const unsigned char* at) {
  const __m128 low = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
  const __m128 high = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16)));
  return _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
}
inline __m128i values4_down(const unsigned char* at) {
  const __m128 low = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
  const __m128 high = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16)));
  return _mm_castps_si128(_mm_shuffle_ps(high, low, _MM_SHUFFLE(1, 3, 1, 3)));
}

// Two entries swapped through vector registers, which the compiler may use
// for them (or not) to spare the general ones, all taken by the scans' state.
inline void swap_entries(SOMETYPE* items, int32_t a, int32_t b) {
  const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(items + a));
  const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(items + b));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(items + a), second);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(items + b), first);
}

// Lanes of -1 or 0 narrowed to bytes, then one bit per lane.
inline uint64_t bits16(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
  return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
}

inline uint64_t above16(const unsigned char* at, int32_t X) {
  const __m128i x = _mm_set1_epi32(X);
  return bits16(_mm_cmpgt_epi32(values4(at), x), _mm_cmpgt_epi32(values4(at + 32), x),
                _mm_cmpgt_epi32(values4(at + 64), x), _mm_cmpgt_epi32(values4(at + 96), x));
}

inline uint64_t below16_down(const unsigned char* at, int32_t X) {
  const __m128i x = _mm_set1_epi32(X);
  return bits16(_mm_cmplt_epi32(values4_down(at + 96), x),
                _mm_cmplt_epi32(values4_down(at + 64), x),
                _mm_cmplt_epi32(values4_down(at + 32), x), _mm_cmplt_epi32(values4_down(at), x));
}

// B[low + t] and B[top - t] swapped for t from 0 to 63, two entries at a time.
inline void swap_blocks(SOMETYPE* items, int32_t low, int32_t top) {
  for (int32_t t = 0; t < SORT_WINDOW; t += 2) {
    __m128i* const up = reinterpret_cast<__m128i*>(items + low + t);
    __m128i* const down = reinterpret_cast<__m128i*>(items + top - t - 1);
    const __m128i a = _mm_loadu_si128(up);
    const __m128i b = _mm_loadu_si128(down);
    _mm_storeu_si128(up, _mm_shuffle_epi32(b, _MM_SHUFFLE(1, 0, 3, 2)));
    _mm_storeu_si128(down, _mm_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)));
  }
}

// B[low..top] reversed, two entries from each end at a time.
inline void reverse_entries(SOMETYPE* items, int32_t low, int32_t top) {
  for (; top - low >= 3; low += 2, top -= 2) {
    __m128i* const up = reinterpret_cast<__m128i*>(items + low);
    __m128i* const down = reinterpret_cast<__m128i*>(items + top - 1);
    const __m128i a = _mm_loadu_si128(up);
    const __m128i b = _mm_loadu_si128(down);
    _mm_storeu_si128(up, _mm_shuffle_epi32(b, _MM_SHUFFLE(1, 0, 3, 2)));
    _mm_storeu_si128(down, _mm_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)));
  }
  if (top > low) swap_entries(items, low, top);
}

#else  // one entry at a time, with the same results

inline void swap_entries(SOMETYPE* items, int32_t a, int32_t b) {
  const SOMETYPE P = items[a];
  items[a] = items[b];
  items[b] = P;
}

inline int32_t value_at(const unsigned char* at) {
  int32_t value;
  __builtin_memcpy(&value, at + offsetof(SOMETYPE, VALUE), sizeof value);
  return value;
}

inline uint64_t above16(const unsigned char* at, int32_t X) {
  uint64_t bits = 0;
  for (int t = 0; t < 16; ++t)
    bits |= uint64_t{value_at(at + 8 * t) > X} << t;
  return bits;
}

inline uint64_t below16_down(const unsigned char* at, int32_t X) {
  uint64_t bits = 0;
  for (int t = 0; t < 16; ++t)
    bits |= uint64_t{value_at(at + 8 * (15 - t)) < X} << t;
  return bits;
}

inline void swap_blocks(SOMETYPE* items, int32_t low, int32_t top) {
  for (int32_t t = 0; t < SORT_WINDOW; ++t)
    swap_entries(items, low + t, top - t);
}

inline void reverse_entries(SOMETYPE* items, int32_t low, int32_t top) {
  for (; top > low; ++low, --top)
    swap_entries(items, low, top);
}

#endif

static_assert(SORT_WINDOW == 64, "a window's stoppers fill one 64-bit mask");

// The position of the lowest set bit of a mask that is not 0. On 32-bit
// targets a 64-bit count would be a call of the compiler's support library,
// which the programs do without: there it counts in two halves.
inline int32_t lowest_bit(uint64_t mask) {
#if UINTPTR_MAX > 0xFFFFFFFFu
  return __builtin_ctzll(mask);
#else
  const uint32_t low = static_cast<uint32_t>(mask);
  return low != 0 ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<uint32_t>(mask >> 32));
#endif
}

// The left stoppers of the 64 entries from `base` upwards.
inline uint64_t left_window(int32_t base, int32_t X) {
  const unsigned char* at = entry_bytes(base);
  return ~(above16(at, X) | above16(at + 128, X) << 16 | above16(at + 256, X) << 32 |
           above16(at + 384, X) << 48);
}

// The right stoppers of the 64 entries from `top` downwards; below B[0]
// there are none.
inline uint64_t right_window(int32_t top, int32_t X) {
  const int32_t low = top < SORT_WINDOW - 1 ? 0 : top - (SORT_WINDOW - 1);
  const unsigned char* at = entry_bytes(low);
  const uint64_t below = below16_down(at + 384, X) | below16_down(at + 256, X) << 16 |
                         below16_down(at + 128, X) << 32 | below16_down(at, X) << 48;
  return ~below >> (low + SORT_WINDOW - 1 - top);
}

// The loop of SORT over B[L..R], 0 <= L <= R <= NSIZE, with the pivot value X
// taken from within: the same swaps and the same final I and J as the scans
// entry by entry, with few branches that depend on the values.
//
// Let p_k be the k-th left stopper from L and q_k the k-th right stopper from
// R. Between the scan positions nothing has been swapped yet, and the scans
// stop at stoppers or at the entries the last swap changed, so round k of the
// loop swaps p_k with q_k, and the loop ends at the first round K + 1 with
// p_k > q_k (p rises and q falls, so it never resumes); or sooner, right
// after a swap that leaves I > J, which is the same as p_(K+1) > q_(K+1).
// At the end I is the smaller of p_(K+1) and q_K, J = I - 1; unless the last
// swap was of an entry with itself (p_K = q_K), when the scans stepped past
// it to I = p_K + 1 and J = p_K - 1.
//
// Two routines do it, for parts of up to 16 entries and for longer ones.
// Neither uses a callee-saved register or the stack: at the deepest recursion
// the partition runs before the next SORT's frame is laid, and it must not be
// the one that runs into the stack's guard. So their state is kept to what
// the caller-saved registers hold (nine on x86-64).

// Parts of 2 to 16 entries.
RT_ROUTINE SCANS partition_small(int32_t L, int32_t R, int32_t X) {
  SOMETYPE* const items = &B[0];
  // Two entries, the most common part: the pivot is the left one, so the
  // scans swap the two when the right one is at least as long (I = L + 1,
  // J = L), and otherwise the left one with itself (I = L + 1, J = L - 1).
  if (R - L == 1) {
    const int32_t swapped = items[R].VALUE >= X;
    swap_entries(items, L, L + swapped);
    return {L + 1, R, L - 1 + swapped, 0};
  }
  // Three entries, the next most common: the pivot is the middle one, the
  // left scan stops at L unless the left entry is longer (p), and the right
  // scan at R unless the right one is shorter (q). Both stopped early leaves
  // only the pivot, swapped with itself (I = L + 2, J = L); the left one
  // alone swaps the pivot with the right entry (I = L + 2, J = L + 1); the
  // right one alone swaps the left entry with the pivot (I = L + 1, J = L);
  // neither swaps the outer two, then the pivot with itself (I = L + 2, J = L).
  if (R - L == 2) {
    const int32_t p = items[L].VALUE > X;
    const int32_t q = items[R].VALUE < X;
    swap_entries(items, L + p, q != 0 ? L + 1 : R);
    return {L + 2 - (p < q), R, L + (p > q), 0};
  }
  // Both scans' stoppers from one read of the 16 entries from L: left bit t
  // for B[L + t], right bit t for B[L + 15 - t], with the right bits for
  // entries beyond R cleared. The bits past the part (from entries beyond
  // R, and the upper ones) give p_k > R or q_k < L, and there are more of
  // them than rounds, so that the masks never run out. The left mask's
  // upper half, which the rounds never reach, holds R, to spare a register.
  const unsigned char* at = entry_bytes(L);
  const uint64_t above = above16(at, X);
  const uint64_t below = below16_down(at, X);
  // Every entry equals X: the loop swaps p_k = L + k - 1 with q_k = R - k + 1
  // until they meet, which reverses the part, far more cheaply than the
  // rounds below. Tested in one branch, and only from four entries up: the
  // smallest parts are often all equal, which would make it hard to predict,
  // and the rounds finish them soon enough.
  const uint64_t unequal = (above & ((uint64_t{2} << (R - L)) - 1)) | below >> (15 - (R - L));
  if ((unequal | static_cast<uint64_t>(R - L < 3)) == 0) {
    reverse_entries(items, L, R);
    return {L + (R - L) / 2 + 1, R, R - (R - L) / 2 - 1, 0};
  }
  uint64_t left = (~above & 0xFFFFFFFF) | uint64_t{static_cast<uint32_t>(R)} << 32;
  uint64_t right = ~below & ~uint64_t{0} << (15 - (R - L));
  // The rounds run without branches; once the scans have crossed, a round
  // swaps B[max(q, L)] with itself. Two are run in any case, and a loop
  // with a branch runs the rest, which fewer parts need than a third round
  // would cost the others. Over the rounds, the least 2 max(p_k, q_k) + [p_k = q_k] is 2 p_(K+1) or
  // 2 q_K + [p_K = q_K], whichever is smaller: twice the smaller of p_(K+1)
  // and q_K, and one more after a swap of an entry with itself.
  int32_t least = 2 * (L + 16);
  int32_t low;  // the entries a round swaps
  int32_t high;
  const auto round = [&] {
    const int32_t p = L + lowest_bit(left);
    const int32_t q = L + 15 - lowest_bit(right);
    const int32_t key = 2 * (p > q ? p : q) + (p == q);
    least = key < least ? key : least;
    high = q > L ? q : L;
    low = p < high ? p : high;
    swap_entries(items, low, high);
    left &= left - 1;
    right &= right - 1;
  };
  round();
  round();
  while (low < high - 1)
    round();
  return {(least + 1) >> 1, static_cast<int32_t>(left >> 32), (least >> 1) - 1, 0};
}

// Parts of 17 entries or more.
RT_ROUTINE SCANS partition_windows(int32_t L, int32_t R, int32_t X) {
  SOMETYPE* const items = &B[0];
  // Windows of 64 entries, the left ones from L upwards, the right ones from R
  // downwards, read when the last is used up, until they pass R or B[0];
  // then a lone sentinel bit stands in, which ends the loop. A window may
  // reach past the part, or hold bits for entries a swap changed after (or
  // before) it was read: those lie beyond the last q swapped (left) or p
  // (right), where they end the loop as a crossing would, with the same I.
  int32_t base = L;  // of the left window
  int32_t top = R;   // of the right window
  uint64_t left = left_window(base, X);
  uint64_t right = right_window(top, X);
  int32_t q_last = R + 1;
  for (;;) {
    while (left == 0) {
      base += SORT_WINDOW;
      left = base <= R ? left_window(base, X) : 1;
    }
    while (right == 0) {
      top -= SORT_WINDOW;
      right = top >= 0 ? right_window(top, X) : 1;
    }
    // Two full windows can only be two just read, since every round below
    // uses up a stopper of each.
    if (left == ~uint64_t{0} && right == ~uint64_t{0} && top >= base) {
      // In order: p_k = base + k - 1 and q_k = top - k + 1.
      if (top - base >= 2 * SORT_WINDOW) {
        // Far enough apart that the loop goes on past them: all 64 swap.
        swap_blocks(items, base, top);
        q_last = top - (SORT_WINDOW - 1);
        left = 0;
        right = 0;
        continue;
      }
      // The loop swaps them until they meet, which reverses B[base..top],
      // and ends after the swap in the middle.
      reverse_entries(items, base, top);
      const int32_t p = base + (top - base) / 2;
      return {p + 1, R, top - (top - base) / 2 - 1, 0};
    }
    // Rounds until either window is used up; one test ends the loop, both
    // when the scans have crossed and when the swap leaves I > J.
    do {
      const int32_t p = base + lowest_bit(left);
      const int32_t q = top - lowest_bit(right);
      if (p >= q - 1) {
        if (p > q) {
          const int32_t I = p < q_last ? p : q_last;
          return {I, R, I - 1, 0};
        }
        swap_entries(items, p, q);
        return {p + 1, R, q - 1, 0};
      }
      swap_entries(items, p, q);
      left &= left - 1;
      right &= right - 1;
      q_last = q;
    } while (left != 0 && right != 0);
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
  const SCANS S = R - L < 16 ? partition_small(L, R, X) : partition_windows(L, R, X);
  if (S.I < S.R) SORT(S.I, S.R);
  if (S.J > L) SORT(L, S.J);
}

// Greedy: half 1 takes an item when it still fits (an exact fit included),
// half 2 takes it otherwise without a test; the verdict checks both halves.
void SOLVE2() {
  int32_t C1 = 0;
  int32_t C2 = 0;
  for (int32_t I = 1; I <= N; ++I) {
    const SOMETYPE& item = B[I];
    if (CHECKED_ADD(item.VALUE, C1) <= L2) {
      C1 = CHECKED_ADD(C1, item.VALUE);
      OUT[item.INDEX] = 1;
    } else {
      C2 = CHECKED_ADD(C2, item.VALUE);
      OUT[item.INDEX] = 2;
    }
  }
  ANS = (C1 > L2 || C2 > L2) ? 0 : 1;
}
