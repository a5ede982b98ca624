// The text files' scan primitives in 64-bit words, for processors without a
// rendering of their own: riscv64, whose base instruction set has no vector
// unit and no count of trailing zeros, and 32-bit x86 without SSE2 (see
// runtime/text_scan.hpp). Words are read only where they are aligned, from
// the buffer's own alignment: a misaligned load is slow or trapped on many
// riscv64 processors. A byte is flagged by the top bit of its place in a
// word, and the place of a flag found by one product.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

namespace rt::scan {

constexpr bool ALIGNED_WORDS = true;

constexpr uint64_t ONES = 0x0101010101010101u;
constexpr uint64_t HIGHS = ONES * 0x80;
constexpr uint64_t LOWS = ONES * 0x7F;

static_assert(alignof(TEXTREC) >= 8 && __builtin_offsetof(TEXTREC, BUFFER) % 8 == 0,
              "the buffer's words are read aligned");

// The aligned word at `at`, its first byte in the lowest place.
[[gnu::always_inline]] inline uint64_t aligned_word(const uint8_t* at) {
  uint64_t word;
  __builtin_memcpy(&word, __builtin_assume_aligned(at, 8), sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// The places of a word's bytes that are not 0, by their top bits, exactly:
// the low seven bits of a byte plus 0x7F carry into its top bit, and never
// into the next byte.
[[gnu::always_inline]] inline uint64_t nonzero_bytes(uint64_t word) {
  return ((word & LOWS) + LOWS) | word;
}

// The bytes other than a line feed, and other than a carriage return.
[[gnu::always_inline]] inline uint64_t not_feeds(uint64_t word) {
  return nonzero_bytes(word ^ (ONES * 10));
}
[[gnu::always_inline]] inline uint64_t not_returns(uint64_t word) {
  return nonzero_bytes(word ^ (ONES * 13));
}

// The 8 bytes at `at` from the two aligned words that hold them (one, when
// `at` is aligned: the second shift then moves everything out).
[[gnu::always_inline]] inline uint64_t buffer_word(const BUFFERBYTE* buffer, int32_t offset) {
  const uint8_t* const at = bytes_of(buffer) + offset;
  const uintptr_t misalignment = reinterpret_cast<uintptr_t>(at) & 7;
  const uint8_t* const low = at - misalignment;
  const uint8_t* const high = low + ((misalignment + 7) & 8);
  const uint32_t shift = static_cast<uint32_t>(misalignment) * 8;
  return (aligned_word(low) >> shift) | ((aligned_word(high) << 1) << (63 - shift));
}

// The nine words of 72 bytes from the ten aligned words that hold them
// (nine, when `at` is aligned), each XORed with its word of the pattern;
// adding 0x7F less a byte's limit sets its top bit when it is larger (a
// byte of 0x80 or more has it already, and only such a byte carries into
// the next). Each line's word is then two of them shifted together.
[[gnu::always_inline]] inline bool eight_lines(const BUFFERBYTE* at, const EIGHT_LINES& shape,
                                               uint64_t (&lines)[8]) {
  const uint8_t* const start = bytes_of(at);
  const uintptr_t misalignment = reinterpret_cast<uintptr_t>(start) & 7;
  const uint8_t* const low = start - misalignment;
  const uint32_t shift = static_cast<uint32_t>(misalignment) * 8;
  uint64_t words[9];
  uint64_t faults = 0;
  uint64_t next = aligned_word(low);
#pragma GCC unroll 9
  for (int32_t k = 0; k < 9; ++k) {
    const uint64_t word = next;
    next = aligned_word(low + 8 * k + (k < 8 ? 8 : (misalignment + 7) & 8));
    words[k] = (word >> shift) | ((next << 1) << (63 - shift));
    const uint64_t values = words[k] ^ aligned_word(shape.PATTERN + 8 * k);
    faults |= (values | (values + (LOWS - aligned_word(shape.LIMITS + 8 * k)))) & HIGHS;
  }
  lines[0] = words[0];
#pragma GCC unroll 7
  for (int32_t j = 1; j < 8; ++j)
    lines[j] = (words[j] >> (8 * j)) | (words[j + 1] << (64 - 8 * j));
  return faults == 0;
}

// The place of the lowest flag of a word that has one: the flag alone,
// moved to bit 8k for place k, times a word whose byte 7 - k holds k, puts
// k in the top byte.
[[gnu::always_inline]] inline int32_t first_flagged(uint64_t flags) {
  const uint64_t lowest = flags & (0 - flags);
  return static_cast<int32_t>(((lowest >> 7) * 0x0001020304050607u) >> 56);
}

// The first line end among a few bytes: the first 8 from `offset` are a
// word (near the buffer's end its last 8, moved down to `offset`), and a
// ninth byte is looked at on its own.
struct LINE_ENDS {
  [[gnu::always_inline]] int32_t first(const BUFFERBYTE* buffer, int32_t offset,
                                       int32_t count) const {
    constexpr int32_t LAST = TEXTRECBUFSIZE - 8;
    const int32_t start = offset < LAST ? offset : LAST;
    const uint64_t word = buffer_word(buffer, start) >> (8 * (offset - start));
    const uint64_t wanted = count >= 8 ? HIGHS : HIGHS >> (64 - 8 * count);
    const uint64_t ends = ~(not_feeds(word) & not_returns(word)) & wanted;
    if (ends != 0) return first_flagged(ends);
    if (count > 8) {
      const uint8_t ninth = bytes_of(buffer)[offset + 8];
      if (ninth == 10 || ninth == 13) return 8;
    }
    return count;
  }
};

// A place counts where its byte is a carriage return, or the byte after it
// a line feed; the places that do not count are those with both tests' top
// bits set, the second moved down a place from the word it was made for
// and the next. The words are those that hold `from` to `to`, aligned; the
// places of the first and last word outside the range are set as not
// counting. Each byte of `skipped` counts, of its place, the words where it
// did not count: at most 33.
inline int32_t line_end_pairs(const BUFFERBYTE* buffer, int32_t from, int32_t to) {
  const uint8_t* const start = bytes_of(buffer) + from;
  const int32_t lead = static_cast<int32_t>(reinterpret_cast<uintptr_t>(start) & 7);
  const uint8_t* at = start - lead;
  const int32_t span = to - from + lead;               // bytes from `at` to `to`
  const uint8_t* const last = at + ((span - 1) & ~7);  // the word that holds to - 1
  const int32_t past = -span & 7;                      // its places from `to` on
  uint64_t word = aligned_word(at);
  uint64_t feeds = not_feeds(word);
  uint64_t skipped = 0;
  const auto step = [&](uint64_t next, uint64_t outside) {
    const uint64_t next_feeds = not_feeds(next);
    const uint64_t none = not_returns(word) & ((feeds >> 8) | (next_feeds << 56));
    skipped += ((none | outside) >> 7) & ONES;
    word = next;
    feeds = next_feeds;
  };
  uint64_t outside = lead != 0 ? HIGHS >> (64 - 8 * lead) : 0;
  if (at != last) {
    step(aligned_word(at + 8), outside);
    at += 8;
    // Two words a step where there are two, then the one left.
    for (; last - at >= 16; at += 16) {
      step(aligned_word(at + 8), 0);
      step(aligned_word(at + 16), 0);
    }
    if (at != last) {
      step(aligned_word(at + 8), 0);
      at += 8;
    }
    outside = 0;
  }
  // The word after the last holds `to` when the last word ends before it.
  if (past != 0) outside |= HIGHS << (64 - 8 * past);
  step(past == 0 ? aligned_word(at + 8) : 0, outside);
  // The bytes' sums, in pairs and then at once: at most 264.
  const uint64_t pairs = (skipped & 0x00FF00FF00FF00FFu) + ((skipped >> 8) & 0x00FF00FF00FF00FFu);
  return to - from + lead + past - static_cast<int32_t>((pairs * 0x0001000100010001u) >> 48);
}

// The 24 bytes in three aligned words, each the line ends and the digits
// shifted to their places.
[[gnu::always_inline]] inline bool put_digit_lines(const int32_t* values, BUFFERBYTE* at) {
  uint32_t any = 0;
#pragma GCC unroll 8
  for (int32_t i = 0; i < 8; ++i)
    any |= static_cast<uint32_t>(values[i]);
  if (any > 7) return false;
  const auto v = [values](int32_t i) { return static_cast<uint64_t>(values[i]); };
  const uint64_t words[3] = {
      0x0D300A0D300A0D30u + v(0) + (v(1) << 24) + (v(2) << 48),  // d CR LF d CR LF d CR
      0x300A0D300A0D300Au + (v(3) << 8) + (v(4) << 32) + (v(5) << 56),
      0x0A0D300A0D300A0Du + (v(6) << 16) + (v(7) << 40)};
#pragma GCC unroll 3
  for (int32_t i = 0; i < 3; ++i) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    const uint64_t word = __builtin_bswap64(words[i]);
#else
    const uint64_t word = words[i];
#endif
    __builtin_memcpy(__builtin_assume_aligned(at + 8 * i, 8), &word, sizeof word);
  }
  return true;
}

}  // namespace rt::scan
