// Durations converted without the checked steps, in the cases where that
// provably gives what the checked steps give: the fields that count (the
// last three) hold decimal digits alone, at most nine each, so no field's
// value or place can overflow; every term is then nonnegative, so the sum
// fits in 32 bits exactly when every partial sum does. For every other text
// (any other character, a longer field, a larger sum) these decline, and
// CONVERT takes the checked steps, which raise an overflow at its own check.
#pragma once

#include <cstdint>

#include "runtime/shortstring.hpp"
#include "runtime/text.hpp"
#include "runtime/text_scan.hpp"

namespace plain {

constexpr uint64_t ONES = 0x0101010101010101u;
constexpr uint64_t HIGHS = ONES * 0x80;

// The decimal value of eight digit values (0 to 9) in the bytes of a word,
// the most significant in the lowest byte: pairs, then quads, then all.
[[gnu::always_inline]] inline int64_t decimal_of_bytes(uint64_t digits) {
  digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFu;
  digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFFu;
  return static_cast<int64_t>((digits * 10000 + (digits >> 32)) & 0xFFFFFFFFu);
}

// Byte `i` of a word.
[[gnu::always_inline]] inline int64_t digit_at(uint64_t digits, int32_t i) {
  return static_cast<int64_t>((digits >> (8 * i)) & 0xFF);
}

// The commonest line, h:mm:ss and a carriage return, checked and read in one
// word: each byte XORed with what it must hold ('0' for a digit, ':' or a
// carriage return exactly) leaves 0 to 9 for a digit and 0 for the others,
// and exactly then. Adding 0x76 to a digit's byte, or 0x7F to another's,
// sets its top bit when it is larger; no sum of bytes below 0x80 carries
// into the next byte. `word` holds the line's first eight bytes, the first
// lowest.
constexpr uint64_t CLOCK_LINE = 0x0D30303A30303A30u;  // '0' ':' '0' '0' ':' '0' '0' CR
constexpr uint64_t CLOCK_LIMITS = 0x7F76767F76767F76u;
[[gnu::always_inline]] inline uint64_t clock_line_faults(uint64_t values,
                                                         uint64_t limits = CLOCK_LIMITS,
                                                         uint64_t highs = HIGHS) {
  return (values | (values + limits)) & highs;
}
// The same for eight lines, each with its line feed, at once.
constexpr rt::scan::EIGHT_LINES CLOCK_LINES =
    rt::scan::eight_lines("0:00:00\r\n", {9, 0, 9, 9, 0, 9, 9, 0, 0});
[[gnu::always_inline]] inline bool is_clock_line(uint64_t values) {
  return clock_line_faults(values) == 0;
}

// A constant held in a register through a loop, where the compiler would
// rather make it again at each turn, an instruction more.
[[gnu::always_inline]] inline uint64_t held(uint64_t constant) {
  __asm__("" : "+r"(constant));
  return constant;
}

// The seconds of the values of a clock line. One product makes byte i + 1
// 10 v_i + v_(i+1) (at most 99: no carry): 10 h in byte 1 (the colon after
// it is 0), the minutes in byte 3, the seconds in byte 6; its term in 2^56
// puts h in byte 7 too, which the mask drops, and makes the multiplier one
// that compilers keep as a multiplication rather than three shifts and
// sums. Another product sums 360, 60 and 1 times them from bit 48 up (at
// most 38,439), from terms that land there exactly; every other term lies
// below bit 46, or past the word.
[[gnu::always_inline]] inline int32_t clock_seconds(uint64_t values) {
  constexpr uint64_t TENS = (uint64_t{1} << 56) + 0x0A01;
  constexpr uint64_t WEIGHTS = (uint64_t{360} << 40) + (uint64_t{60} << 24) + 1;
  const uint64_t pairs = (values * TENS) & 0x00FF0000FF00FF00u;
  return static_cast<int32_t>((pairs * WEIGHTS) >> 48);
}

// The usual shapes, eight characters at once: h:mm:ss and hh:mm:ss, up to
// five digits of minutes and two of seconds, or up to eight digits of
// seconds. The text is moved to the top of a word, '0' filling the bytes
// below it (leading zeros change no field), and checked to hold digits and
// colons alone; the colons' places then tell the shape, and each field is
// read from its fixed bytes. `word` holds the text's first eight bytes, the
// first lowest; those past its length are not the text's. Any other shape is
// left to the loop below.
[[gnu::always_inline]] inline bool seconds_of_usual_word(uint64_t word, int32_t length,
                                                         int64_t& total) {
  if (length == 0 || length > 8) return false;
  if (length < 8) word = (word << (8 * (8 - length))) | ((ONES * '0') >> (8 * length));
  // Every byte from '0' (0x30) to ':' (0x3A): none with its top bit set, none
  // below 0x30 (no borrow reaches a top bit), none above 0x3A (no sum does).
  if ((word & HIGHS) != 0 || (((word | HIGHS) - ONES * 0x30) & HIGHS) != HIGHS ||
      ((word + ONES * 0x45) & HIGHS) != 0) {
    return false;
  }
  const uint64_t values = word - ONES * '0';               // 0 to 9, and 10 for a colon
  const uint64_t colons = (values + ONES * 0x76) & HIGHS;  // the top bit of each colon
  const uint64_t digits = values - (colons >> 7) * 10;     // colons become 0
  // Byte i of `pairs` is the two-digit number of bytes i and i + 1 (at most
  // 99: no byte carries into the next).
  const uint64_t pairs = digits * 10 + (digits >> 8);
  constexpr uint64_t COLON_2 = uint64_t{0x80} << 16;
  constexpr uint64_t COLON_5 = uint64_t{0x80} << 40;
  const int64_t seconds = digit_at(pairs, 6);
  if (colons == (COLON_2 | COLON_5)) {
    total = digit_at(pairs, 0) * 3600 + digit_at(pairs, 3) * 60 + seconds;
  } else if (colons == COLON_5) {
    total = decimal_of_bytes(digits << 24) * 60 + seconds;  // the five bytes below the colon
  } else if (colons == 0) {
    total = decimal_of_bytes(digits);
  } else {
    return false;
  }
  return true;  // at most 99 hours, 99,999 minutes or 99,999,999 seconds: within 32 bits
}

// Texts of any length, read left to right, a field's value by Horner's rule,
// which for digits equals the sum by place values; a colon moves the fields
// up, and what moves past the hours is ignored, as the checked steps ignore
// it (unless it is not digits, when this declines).
[[gnu::always_inline]] inline bool seconds_of_digits(const rt::SHORTSTRING& text, int64_t& total) {
  int64_t hours = 0;
  int64_t minutes = 0;
  int64_t field = 0;
  int32_t digits = 0;
  for (int32_t i = 0; i < text.LENGTH; ++i) {
    const uint32_t digit = static_cast<uint8_t>(text.CHARS[i]) - uint32_t{'0'};
    if (digit <= 9) {
      field = field * 10 + digit;
      ++digits;
    } else if (digit == uint32_t{':' - '0'}) {
      hours = minutes;
      minutes = field;
      field = 0;
      digits = 0;
    } else {
      return false;
    }
    if (digits > 9) return false;
  }
  total = hours * 3600 + minutes * 60 + field;
  return total <= INT32_MAX;
}

// The seconds of a plain text, or false where the checked steps must decide.
// Inlined into CONVERT, so that it is CONVERT's own code.
[[gnu::always_inline]] inline bool seconds(const rt::SHORTSTRING& text, int32_t& result) {
  int64_t total = 0;
  if (!seconds_of_digits(text, total)) return false;
  result = static_cast<int32_t>(total);
  return true;
}

}  // namespace plain
