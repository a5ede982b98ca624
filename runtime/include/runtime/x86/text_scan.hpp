// The text files' scan primitives for x86 with SSE2: 16 bytes at a time in
// a vector, and plain loads wherever they fall (see runtime/text_scan.hpp).
#pragma once

#include <emmintrin.h>

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
  const auto over = [&](int32_t i, __m128i bytes) {
    const __m128i pattern = _mm_load_si128(reinterpret_cast<const __m128i*>(shape.PATTERN + i));
    const __m128i limits = _mm_load_si128(reinterpret_cast<const __m128i*>(shape.LIMITS + i));
    return _mm_subs_epu8(_mm_xor_si128(bytes, pattern), limits);
  };
  const auto load = [at](int32_t i) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_of(at) + i));
  };
  const __m128i last = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes_of(at) + 64));
  const __m128i any = _mm_or_si128(
      _mm_or_si128(over(0, load(0)), over(16, load(16))),
      _mm_or_si128(_mm_or_si128(over(32, load(32)), over(48, load(48))), over(64, last)));
#pragma GCC unroll 8
  for (int32_t j = 0; j < 8; ++j)
    lines[j] = buffer_word(at, 9 * j);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

// A byte in every place of a vector, from four copies of it, made in
// registers rather than read from the program's read-only data.
[[gnu::always_inline]] inline __m128i every_byte(uint32_t four) {
  __asm__("" : "+r"(four));
  return _mm_shuffle_epi32(_mm_cvtsi32_si128(static_cast<int>(four)), 0);
}

// The first line end among a few bytes: the carriage returns and line feeds
// of 16 bytes by two comparisons. Near the buffer's end the 16 bytes read
// are its last, and the mask moves down to `offset`. The two vectors are
// made once for a run of lines.
struct LINE_ENDS {
  const __m128i RETURNS = every_byte(0x0D0D0D0Du);
  const __m128i FEEDS = every_byte(0x0A0A0A0Au);

  [[gnu::always_inline]] int32_t first(const BUFFERBYTE* buffer, int32_t offset,
                                       int32_t count) const {
    constexpr int32_t LAST = TEXTRECBUFSIZE - 16;
    const int32_t start = offset < LAST ? offset : LAST;
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_of(buffer) + start));
    const uint32_t ends = static_cast<uint32_t>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, RETURNS), _mm_cmpeq_epi8(bytes, FEEDS))));
    return __builtin_ctz((ends >> (offset - start)) | 1u << count);
  }
};

// A place counts where its byte is a carriage return, or the byte after it
// a line feed: two loads a block, one a byte further on. The last block
// ends at `to` (or starts at 0, if there are fewer bytes), and a mask keeps
// only its places from where the whole blocks stopped, and below `to`.
inline int32_t line_end_pairs(const BUFFERBYTE* buffer, int32_t from, int32_t to) {
  const uint8_t* const bytes = bytes_of(buffer);
  const auto load = [](const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  const auto pairs = [&](int32_t at) {
    return _mm_or_si128(_mm_cmpeq_epi8(load(bytes + at), _mm_set1_epi8(13)),
                        _mm_cmpeq_epi8(load(bytes + at + 1), _mm_set1_epi8(10)));
  };
  __m128i count = _mm_setzero_si128();  // each byte: minus its places counted
  int32_t at = from;
  for (; at + 16 <= to; at += 16)
    count = _mm_sub_epi8(count, pairs(at));
  if (at < to) {
    const int32_t start = to >= 16 ? to - 16 : 0;
    const __m128i keep =
        _mm_and_si128(load(KEEP + 16 - (at - start)), load(KEEP + 32 - (to - start)));
    count = _mm_sub_epi8(count, _mm_and_si128(pairs(start), keep));
  }
  const __m128i sums = _mm_sad_epu8(count, _mm_setzero_si128());
  return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
}

// Each line in one 32-bit store: the digit, the line end and a byte that
// the next line's store, or nothing at all, overwrites.
[[gnu::always_inline]] inline bool put_digit_lines(const int32_t* values, BUFFERBYTE* at) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 4));
  // A value outside 0 to 7 has a bit above the lowest three.
  const __m128i above = _mm_srli_epi32(_mm_or_si128(low, high), 3);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(above, _mm_setzero_si128())) != 0xFFFF) return false;
#pragma GCC unroll 8
  for (int32_t i = 0; i < 8; ++i) {
    const uint32_t line = static_cast<uint32_t>(values[i]) + 0x0A0D30u;  // '0' + value, CR, LF
    __builtin_memcpy(at + 3 * i, &line, sizeof line);
  }
  return true;
}

}  // namespace rt::scan
