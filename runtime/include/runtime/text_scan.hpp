// The primitives of the text files' fast paths, which look at a record's
// buffer a machine word or a vector at a time, rendered for the processor in
// a header of its own and chosen here: SSE2 on x86, NEON on arm64, 64-bit
// words elsewhere (riscv64, and 32-bit x86 built without SSE2). Every
// rendering gives exactly the same results:
//
//   buffer_word(buffer, offset): the 8 bytes from `offset`, the first in the
//     lowest place; offset + 8 is at most the buffer's size.
//   LINE_ENDS: made once for a run of lines, with
//   first(buffer, offset, count): the place (0 to count) of the first line
//     feed or carriage return among the `count` bytes (1 to 9) from
//     `offset`, or count if there is none; reads no byte outside the buffer.
//   line_end_pairs(buffer, from, to): how many places p from `from` up to
//     `to` (excluded) hold a carriage return, or have a line feed at p + 1;
//     reads the bytes from `from` through `to`, which is inside the buffer.
//   put_digit_lines(values, at): if the 8 values are all 0 to 7, puts their
//     lines, each a digit, a carriage return and a line feed, in the 24
//     bytes at `at`, and perhaps something in the byte after them, which
//     must be inside the buffer, and returns true; else puts nothing.
//   eight_lines(at, shape, lines): whether the 72 bytes at `at`, eight
//     lines of nine, each XORed with the byte of shape.PATTERN in its
//     place, are at most the byte of shape.LIMITS there; and the first 8
//     bytes of each line as a word in `lines`, the first lowest.
//   ALIGNED_WORDS: whether the primitives read and write the buffer in
//     aligned words only, so that put_digit_lines takes only an aligned
//     `at`.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

namespace rt::scan {

// A buffer's bytes as the primitives read them.
[[gnu::always_inline]] inline const uint8_t* bytes_of(const BUFFERBYTE* buffer) {
  return reinterpret_cast<const uint8_t*>(buffer);
}

// For the vector renderings' last, partial block of 16 bytes: from byte
// 16 - k, a mask of the first k of 16 bytes cleared; from byte 32 - k, one of
// all but the first k cleared.
inline constexpr uint8_t KEEP[48] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0};

// The shape of a line of nine bytes, repeated for eight lines in a row: a
// byte XORed with its PATTERN byte must be at most its LIMITS byte (so
// PATTERN '0' and LIMITS 9 take a digit, LIMITS 0 the PATTERN byte alone).
struct EIGHT_LINES {
  alignas(16) uint8_t PATTERN[80];
  alignas(16) uint8_t LIMITS[80];
};
constexpr EIGHT_LINES eight_lines(const char (&pattern)[10], const uint8_t (&limits)[9]) {
  EIGHT_LINES shape{};
  for (int32_t i = 0; i < 72; ++i) {
    shape.PATTERN[i] = static_cast<uint8_t>(pattern[i % 9]);
    shape.LIMITS[i] = limits[i % 9];
  }
  return shape;
}

}  // namespace rt::scan

#if defined(__SSE2__)
#include "runtime/x86/text_scan.hpp"
#elif defined(__aarch64__)
#include "runtime/aarch64/text_scan.hpp"
#else
#include "runtime/portable/text_scan.hpp"
#endif
