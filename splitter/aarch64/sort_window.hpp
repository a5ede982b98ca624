// The sort's window primitives in NEON, which every arm64 processor has: the
// stoppers of 16 entries in one 64-bit mask, four bits an entry (what
// narrowing a vector's comparisons gives in one step), only the top one of
// them kept. A scan's next stopper is the highest bit, which clz finds and
// which a shifted top bit clears.
#pragma once

#include <arm_acle.h>
#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

#include "splitter.hpp"

namespace window {

#define WINDOW_INLINE [[gnu::always_inline]] inline

constexpr bool WINDOWS = true;
constexpr int32_t WIDTH = 16;  // entries a window holds
// Parts of up to this many entries take the scans entry by entry, as on
// x86-64, where they run no slower than windows; here the instructions on
// the benchmark's tasks change little between 64 and 256.
constexpr int32_t SCANS_MOST = 128;
using MASK = uint64_t;
constexpr MASK TOPS = 0x8888888888888888u;  // the bit kept of each entry
constexpr MASK ALL = TOPS;
constexpr MASK HIGHEST = MASK{1} << 63;
constexpr MASK FIRST_ONLY = HIGHEST;  // a stopper at the window's first entry alone

// The pivot value as the comparisons take it: in every lane of a vector.
using PIVOT = int32x4_t;
WINDOW_INLINE PIVOT pivot(int32_t X) {
  return vdupq_n_s32(X);
}

// The VALUE fields of four entries; each entry is INDEX, then VALUE.
WINDOW_INLINE int32x4_t values4(const SOMETYPE* at) {
  return vld2q_s32(reinterpret_cast<const int32_t*>(at)).val[1];
}

// Lanes of all ones or zeros narrowed to four bits each, the first lowest.
WINDOW_INLINE MASK bits16(uint32x4_t a, uint32x4_t b, uint32x4_t c, uint32x4_t d) {
  const uint16x8_t low = vuzp1q_u16(vreinterpretq_u16_u32(a), vreinterpretq_u16_u32(b));
  const uint16x8_t high = vuzp1q_u16(vreinterpretq_u16_u32(c), vreinterpretq_u16_u32(d));
  const uint8x16_t bytes = vuzp1q_u8(vreinterpretq_u8_u16(low), vreinterpretq_u8_u16(high));
  return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(bytes), 4)), 0);
}

// The comparisons of the 16 entries from `at` with X, entry t in bits 4t to
// 4t + 3: VALUE > X, and VALUE < X, each value loaded once for both.
struct BITS16 {
  MASK above;
  MASK below;
};
WINDOW_INLINE BITS16 compare16(const SOMETYPE* at, PIVOT x) {
  const int32x4_t v0 = values4(at);
  const int32x4_t v1 = values4(at + 4);
  const int32x4_t v2 = values4(at + 8);
  const int32x4_t v3 = values4(at + 12);
  return {bits16(vcgtq_s32(v0, x), vcgtq_s32(v1, x), vcgtq_s32(v2, x), vcgtq_s32(v3, x)),
          bits16(vcltq_s32(v0, x), vcltq_s32(v1, x), vcltq_s32(v2, x), vcltq_s32(v3, x))};
}

// The left stoppers (VALUE <= X) of the 16 entries from `at` upwards, entry t
// in bit 63 - 4t; the right ones (VALUE >= X) of the 16 entries that end at
// `at`, downwards, entry at[-t] in bit 63 - 4t.
WINDOW_INLINE MASK left_window(const SOMETYPE* at, PIVOT x) {
  return __rbitll(~compare16(at, x).above) & TOPS;
}
WINDOW_INLINE MASK right_window(const SOMETYPE* at, PIVOT x) {
  return ~compare16(at - 15, x).below & TOPS;
}

// A right window read ending `entries` (less than WIDTH) past its own end:
// its bits moved to their own entries, those past the end dropped.
WINDOW_INLINE MASK moved_back(MASK mask, ptrdiff_t entries) {
  return mask << (4 * entries);
}

// The offset of a mask's next stopper in its scan's direction, where it has
// one, and the mask without it.
// (ACLE's count of leading zeros is 64 for a mask of none.)
WINDOW_INLINE ptrdiff_t first(MASK mask) {
  return __clzll(mask) >> 2;
}
WINDOW_INLINE MASK without_first(MASK mask) {
  return mask & ~(HIGHEST >> __clzll(mask));
}

// Two entries swapped.
WINDOW_INLINE void swap_entries(SOMETYPE* items, POS a, POS b) {
  exchange(items + a, items + b);
}

// B[low + t] and B[top - t] swapped for t from 0 to WIDTH - 1, two entries at
// a time, each pair's order reversed by one step.
WINDOW_INLINE void swap_blocks(SOMETYPE* items, ptrdiff_t low, ptrdiff_t top) {
  for (ptrdiff_t t = 0; t < WIDTH; t += 2) {
    uint64_t* const up = reinterpret_cast<uint64_t*>(items + low + t);
    uint64_t* const down = reinterpret_cast<uint64_t*>(items + top - t - 1);
    const uint64x2_t a = vld1q_u64(up);
    const uint64x2_t b = vld1q_u64(down);
    vst1q_u64(up, vextq_u64(b, b, 1));
    vst1q_u64(down, vextq_u64(a, a, 1));
  }
}

// B[low..top] reversed, two entries from each end at a time.
WINDOW_INLINE void reverse_entries(SOMETYPE* items, ptrdiff_t low, ptrdiff_t top) {
  for (; top - low >= 3; low += 2, top -= 2) {
    uint64_t* const up = reinterpret_cast<uint64_t*>(items + low);
    uint64_t* const down = reinterpret_cast<uint64_t*>(items + top - 1);
    const uint64x2_t a = vld1q_u64(up);
    const uint64x2_t b = vld1q_u64(down);
    vst1q_u64(up, vextq_u64(b, b, 1));
    vst1q_u64(down, vextq_u64(a, a, 1));
  }
  if (top > low) swap_entries(items, low, top);
}

#undef WINDOW_INLINE

}  // namespace window

#include "sort_masks.hpp"
