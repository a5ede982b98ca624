// The sort's window primitives in SSE2, which every x86-64 processor has: the
// stoppers of 64 entries in one 64-bit mask, a bit an entry, the first entry
// in a scan's direction lowest, so that either scan takes the lowest stopper
// next. Entries move through vector registers.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

namespace window {

#define WINDOW_INLINE [[gnu::always_inline]] inline

constexpr bool WINDOWS = true;
constexpr int32_t WIDTH = 64;  // entries a window holds
// Parts of up to two windows take the scans entry by entry: fewer
// instructions and no slower, as measured on the benchmark's tasks.
constexpr int32_t SCANS_MOST = 2 * WIDTH;
using MASK = uint64_t;
constexpr MASK ALL = ~MASK{0};
constexpr MASK FIRST_ONLY = 1;  // a stopper at the window's first entry alone

// The pivot value as the comparisons take it, in every lane of a vector:
// itself, and less one, for VALUE >= X as VALUE > X - 1; but every value is
// at least the least one, which has no value below it.
struct PIVOT {
  __m128i x;
  __m128i x_less;
  uint64_t least;  // every bit, for the least X
};
WINDOW_INLINE PIVOT pivot(int32_t X) {
  return {_mm_set1_epi32(X), _mm_set1_epi32(X - (X != INT32_MIN)),
          X == INT32_MIN ? ~uint64_t{0} : 0};
}

// The VALUE fields of four entries; each entry is INDEX, then VALUE.
WINDOW_INLINE __m128i values4(const SOMETYPE* at) {
  const __m128 low = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
  const __m128 high = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2)));
  return _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
}

// The same, last to first.
WINDOW_INLINE __m128i values4_down(const SOMETYPE* at) {
  const __m128 low = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
  const __m128 high = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2)));
  return _mm_castps_si128(_mm_shuffle_ps(high, low, _MM_SHUFFLE(1, 3, 1, 3)));
}

// Lanes of -1 or 0 narrowed to bytes, then one bit per lane, the first lowest.
WINDOW_INLINE MASK bits16(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
  return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
}

// The left stoppers (VALUE <= X) of the 64 entries from `at` upwards, bit t
// for at[t]; the right ones (VALUE >= X) of the 64 entries that end at `at`,
// downwards, bit t for at[-t]. Each scan takes the lowest bit next.
WINDOW_INLINE MASK left_window(const SOMETYPE* at, const PIVOT& pivot) {
  const auto above16 = [x = pivot.x](const SOMETYPE* block) {
    return bits16(_mm_cmpgt_epi32(values4(block), x), _mm_cmpgt_epi32(values4(block + 4), x),
                  _mm_cmpgt_epi32(values4(block + 8), x), _mm_cmpgt_epi32(values4(block + 12), x));
  };
  return ~(above16(at) | above16(at + 16) << 16 | above16(at + 32) << 32 | above16(at + 48) << 48);
}
WINDOW_INLINE MASK right_window(const SOMETYPE* at, const PIVOT& pivot) {
  const auto at_least16 = [x = pivot.x_less](const SOMETYPE* block) {  // bit t for block[15 - t]
    return bits16(
        _mm_cmpgt_epi32(values4_down(block + 12), x), _mm_cmpgt_epi32(values4_down(block + 8), x),
        _mm_cmpgt_epi32(values4_down(block + 4), x), _mm_cmpgt_epi32(values4_down(block), x));
  };
  return at_least16(at - 15) | at_least16(at - 31) << 16 | at_least16(at - 47) << 32 |
         at_least16(at - 63) << 48 | pivot.least;
}

// A right window read ending `entries` (less than WIDTH) past its own end:
// its bits moved to their own entries, those past the end dropped.
WINDOW_INLINE MASK moved_back(MASK mask, ptrdiff_t entries) {
  return mask >> entries;
}

// The offset of the lowest stopper of a mask, where either scan goes next,
// and the mask without it. bsf itself: the compiler's count would clear its
// register first, in every round.
WINDOW_INLINE ptrdiff_t first(MASK mask) {
  MASK offset;
  __asm__("bsf %1, %0" : "=r"(offset) : "rm"(mask) : "cc");
  return static_cast<ptrdiff_t>(offset);
}
WINDOW_INLINE MASK without_first(MASK mask) {
  return mask & (mask - 1);
}
// Two entries swapped.
WINDOW_INLINE void swap_entries(SOMETYPE* items, POS a, POS b) {
  const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(items + a));
  const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(items + b));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(items + a), second);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(items + b), first);
}

// B[low + t] and B[top - t] swapped for t from 0 to WIDTH - 1, two entries at
// a time.
WINDOW_INLINE void swap_blocks(SOMETYPE* items, ptrdiff_t low, ptrdiff_t top) {
  for (ptrdiff_t t = 0; t < WIDTH; t += 2) {
    __m128i* const up = reinterpret_cast<__m128i*>(items + low + t);
    __m128i* const down = reinterpret_cast<__m128i*>(items + top - t - 1);
    const __m128i a = _mm_loadu_si128(up);
    const __m128i b = _mm_loadu_si128(down);
    _mm_storeu_si128(up, _mm_shuffle_epi32(b, _MM_SHUFFLE(1, 0, 3, 2)));
    _mm_storeu_si128(down, _mm_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)));
  }
}

// B[low..top] reversed, two entries from each end at a time.
WINDOW_INLINE void reverse_entries(SOMETYPE* items, ptrdiff_t low, ptrdiff_t top) {
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

#undef WINDOW_INLINE

}  // namespace window

#include "sort_masks.hpp"
