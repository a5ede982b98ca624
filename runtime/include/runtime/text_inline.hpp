// The common cases of the line reads and writes, inline in their callers:
// a line whose end is in the buffer, a line end, a one-digit number. Each
// takes only a case it proves the general steps would handle the same way,
// and leaves every other to them, in rt::general. Inline, the record's
// cursor need not go through memory between one call and the next.
#pragma once

#include <cstdint>

#include "runtime/shortstring.hpp"
#include "runtime/text.hpp"

namespace rt {

namespace general {
void READ_STRING(TEXTREC& t, SHORTSTRING& s, int32_t capacity);
// The rest of a line read by READ_STRING, of which `length` characters are
// in `s` (capacity at most 255): the read goes on from the buffer as it is,
// exhausted or not.
void READ_STRING_REST(TEXTREC& t, SHORTSTRING& s, int32_t length, int32_t capacity);
void READLN_END(TEXTREC& t);
void WRITE_SINT(int32_t width, TEXTREC& t, int32_t value);
void WRITELN_END(TEXTREC& t);
}  // namespace general

namespace fast {

constexpr uint64_t ONES = 0x0101010101010101u;
constexpr uint64_t HIGHS = ONES * 0x80;

// The eight bytes at `bytes` as a word, the first of them in the lowest place.
[[gnu::always_inline]] inline uint64_t word_at(const uint8_t* bytes) {
  uint64_t word;
  __builtin_memcpy(&word, bytes, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// Flags the bytes below 14 among the eight of a word; the borrow test is
// exact for the lowest flagged byte.
[[gnu::always_inline]] inline uint64_t control_bytes(uint64_t word) {
  return (word - ONES * 14) & ~word & HIGHS;
}

// The same for the eight bytes at `bytes`.
[[gnu::always_inline]] inline uint64_t control_bytes_in_word(const uint8_t* bytes) {
  return control_bytes(word_at(bytes));
}

// The offset of the lowest flagged byte of a word that has one.
[[gnu::always_inline]] inline int32_t first_flagged(uint64_t flags) {
  return __builtin_ctzll(flags) / 8;
}

}  // namespace fast

// A line read whole when nothing is pending, the record is open for reading,
// and the line's end lies among the next 16 bytes of data, within the
// capacity: the first byte below 14 there is a line feed or a carriage return
// (a line with another control byte before its end takes the general steps).
// Those 16 bytes lie inside the buffer and are copied whole into the string,
// whose characters past its length are not its text; bytes past the data are
// stale, so a line end found there does not count.
[[gnu::always_inline]] inline void READ_STRING(TEXTREC& t, SHORTSTRING& s, int32_t capacity) {
  constexpr int32_t SPAN = 16;
  // The cursor is read once: the copy into the string may, for all the
  // compiler knows, write the record.
  const int32_t cursor = t.CURSOR;
  if (INOUTRES == 0 && t.MODE == FMINPUT && cursor <= t.RECSIZE - SPAN && capacity >= SPAN) {
    const uint8_t* next = reinterpret_cast<const uint8_t*>(t.BUFFERREF) + cursor;
    int32_t end = -1;
    if (const uint64_t low = fast::control_bytes_in_word(next); low != 0) {
      end = fast::first_flagged(low);
    } else if (const uint64_t high = fast::control_bytes_in_word(next + 8); high != 0) {
      end = 8 + fast::first_flagged(high);
    }
    if (end >= 0 && (next[end] == 10 || next[end] == 13) && end < t.FILLED - cursor) {
      __builtin_memcpy(s.CHARS, next, SPAN);
      s.LENGTH = static_cast<uint8_t>(end);
      t.CURSOR = cursor + end;
      return;
    }
  }
  general::READ_STRING(t, s, capacity);
}

// A line end whole in the buffer: a line feed, or a carriage return and the
// byte after it.
[[gnu::always_inline]] inline void READLN_END(TEXTREC& t) {
  const int32_t cursor = t.CURSOR;
  if (INOUTRES == 0 && t.MODE == FMINPUT && t.FILLED - cursor >= 2) {
    const uint8_t c = t.BUFFERREF[cursor];
    if (c == 10) {
      t.CURSOR = cursor + 1;
      return;
    }
    if (c == 13) {
      // A branch, not a computed step: the next line's reads need not wait
      // for this byte when the line ends are all alike.
      if (__builtin_expect(t.BUFFERREF[cursor + 1] == 10, 1)) {
        t.CURSOR = cursor + 2;
      } else {
        t.CURSOR = cursor + 1;
      }
      return;
    }
  }
  general::READLN_END(t);
}

// A single digit with no padding, where the buffer has room for it.
[[gnu::always_inline]] inline void WRITE_SINT(int32_t width, TEXTREC& t, int32_t value) {
  const int32_t cursor = t.CURSOR;
  if (static_cast<uint32_t>(value) <= 9 && width <= 1 && INOUTRES == 0 && t.MODE == FMOUTPUT &&
      cursor < t.RECSIZE) [[likely]] {
    t.BUFFERREF[cursor] = static_cast<BUFFERBYTE>('0' + value);
    t.CURSOR = cursor + 1;
    return;
  }
  general::WRITE_SINT(width, t, value);
}

// A carriage return and a line feed, where the buffer has room for both and
// the record has nothing to flush after a line (a disk file).
[[gnu::always_inline]] inline void WRITELN_END(TEXTREC& t) {
  const int32_t cursor = t.CURSOR;
  if (INOUTRES == 0 && t.MODE == FMOUTPUT && t.RECSIZE - cursor >= 2 && t.FLUSHHOOK == nullptr)
      [[likely]] {
    t.BUFFERREF[cursor] = EOL[0];
    t.BUFFERREF[cursor + 1] = EOL[1];
    t.CURSOR = cursor + 2;
    return;
  }
  general::WRITELN_END(t);
}

}  // namespace rt
