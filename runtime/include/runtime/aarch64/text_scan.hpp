// The text files' scan primitives for arm64 with NEON, which every arm64
// processor has: 16 bytes at a time in a vector, and plain loads wherever
// they fall (see runtime/text_scan.hpp).
#pragma once

#include <arm_neon.h>

#include <cstdint>

#include "runtime/text.hpp"

namespace rt::scan {

constexpr bool ALIGNED_WORDS = false;

[[gnu::always_inline]] inline uint64_t buffer_word(const BUFFERBYTE* buffer, int32_t offset) {
  uint64_t word;
  __builtin_memcpy(&word, bytes_of(buffer) + offset, sizeof word);
  return word;
}

// Four vectors and a half, each XORed with the pattern and less the limits,
// saturating at 0: any byte left over is one outside the shape.
[[gnu::always_inline]] inline bool eight_lines(const BUFFERBYTE* at, const EIGHT_LINES& shape,
                                               uint64_t (&lines)[8]) {
  const uint8_t* const bytes = bytes_of(at);
  const auto over = [&](int32_t i) {
    return vqsubq_u8(veorq_u8(vld1q_u8(bytes + i), vld1q_u8(shape.PATTERN + i)),
                     vld1q_u8(shape.LIMITS + i));
  };
  const uint8x8_t last = vqsub_u8(veor_u8(vld1_u8(bytes + 64), vld1_u8(shape.PATTERN + 64)),
                                  vld1_u8(shape.LIMITS + 64));
  const uint8x16_t any = vorrq_u8(vorrq_u8(over(0), over(16)), vorrq_u8(over(32), over(48)));
#pragma GCC unroll 8
  for (int32_t j = 0; j < 8; ++j)
    lines[j] = buffer_word(at, 9 * j);
  return vmaxvq_u8(vorrq_u8(any, vcombine_u8(last, last))) == 0;
}

// The line-end bytes of the 16 at `at`, four bits for each byte: NEON has no
// byte mask, and a narrowing shift gives this one in a single step.
[[gnu::always_inline]] inline uint64_t line_end_nibbles(const uint8_t* at) {
  const uint8x16_t bytes = vld1q_u8(at);
  const uint8x16_t ends =
      vorrq_u8(vceqq_u8(bytes, vdupq_n_u8(13)), vceqq_u8(bytes, vdupq_n_u8(10)));
  return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(ends), 4)), 0);
}

// The first line end among a few bytes. Near the buffer's end the 16 bytes
// read are its last, and the mask moves down to `offset`.
struct LINE_ENDS {
  [[gnu::always_inline]] int32_t first(const BUFFERBYTE* buffer, int32_t offset,
                                       int32_t count) const {
    constexpr int32_t LAST = TEXTRECBUFSIZE - 16;
    const int32_t start = offset < LAST ? offset : LAST;
    const uint64_t ends = (line_end_nibbles(bytes_of(buffer) + start) >> (4 * (offset - start))) |
                          uint64_t{1} << (4 * count);
    return __builtin_ctzll(ends) / 4;
  }
};

// A place counts where its byte is a carriage return, or the byte after it
// a line feed: two loads a block, one a byte further on. The last block
// ends at `to` (or starts at 0, if there are fewer bytes), and a mask keeps
// only its places from where the whole blocks stopped, and below `to`.
inline int32_t line_end_pairs(const BUFFERBYTE* buffer, int32_t from, int32_t to) {
  const uint8_t* const bytes = bytes_of(buffer);
  const auto pairs = [&](int32_t at) {
    return vorrq_u8(vceqq_u8(vld1q_u8(bytes + at), vdupq_n_u8(13)),
                    vceqq_u8(vld1q_u8(bytes + at + 1), vdupq_n_u8(10)));
  };
  uint8x16_t count = vdupq_n_u8(0);  // each byte: minus its places counted
  int32_t at = from;
  for (; at + 16 <= to; at += 16)
    count = vsubq_u8(count, pairs(at));
  if (at < to) {
    const int32_t start = to >= 16 ? to - 16 : 0;
    const uint8x16_t keep =
        vandq_u8(vld1q_u8(KEEP + 16 - (at - start)), vld1q_u8(KEEP + 32 - (to - start)));
    count = vsubq_u8(count, vandq_u8(pairs(start), keep));
  }
  return vaddlvq_u8(count);
}

// The digits, and a carriage return and a line feed for each, stored
// interleaved by one instruction.
[[gnu::always_inline]] inline bool put_digit_lines(const int32_t* values, BUFFERBYTE* at) {
  const uint32x4_t low = vld1q_u32(reinterpret_cast<const uint32_t*>(values));
  const uint32x4_t high = vld1q_u32(reinterpret_cast<const uint32_t*>(values + 4));
  // A value outside 0 to 7 is larger than 7 unsigned.
  if (vmaxvq_u32(vorrq_u32(low, high)) > 7) return false;
  const uint8x8_t digits = vmovn_u16(vcombine_u16(vmovn_u32(low), vmovn_u32(high)));
  const uint8x8x3_t lines = {{vadd_u8(digits, vdup_n_u8('0')), vdup_n_u8(13), vdup_n_u8(10)}};
  vst3_u8(reinterpret_cast<uint8_t*>(at), lines);
  return true;
}

}  // namespace rt::scan
