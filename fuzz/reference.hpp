// Reference models the fuzz targets compare the runtime against, written from
// the rules rather than from the runtime's code, in 64-bit arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/shortstring.hpp"

namespace fuzzref {

// Stops the run so libFuzzer records the input; used for every invariant.
inline void require(bool holds) {
  if (!holds) __builtin_trap();
}

inline rt::SHORTSTRING shortstring(const uint8_t* bytes, size_t size) {
  rt::SHORTSTRING s{};
  s.LENGTH = static_cast<uint8_t>(size < 255 ? size : 255);
  for (size_t i = 0; i < s.LENGTH; ++i)
    s.CHARS[i] = static_cast<char>(bytes[i]);
  return s;
}

// A 64-bit value reduced to the 32-bit two's-complement range.
inline int64_t wrap32(int64_t x) {
  const int64_t m = int64_t{1} << 32;
  x = ((x % m) + m) % m;
  return x >= m / 2 ? x - m : x;
}

// A number token: leading tabs and spaces, an optional sign, an optional
// base prefix ($ 16, % 2, & 8), then digits of the base only. The magnitude
// saturates far above every limit, so long runs of digits cannot wrap. The
// result is the signed 32-bit value, or the unsigned one; false on failure.
inline bool number(const uint8_t* s, size_t n, bool is_signed, int64_t& value) {
  value = 0;
  size_t i = 0;
  while (i < n && (s[i] == ' ' || s[i] == '\t'))
    ++i;
  const bool negative = i < n && s[i] == '-';
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  int base = 10;
  if (i < n && s[i] == '$') base = 16;
  if (i < n && s[i] == '%') base = 2;
  if (i < n && s[i] == '&') base = 8;
  if (base != 10) ++i;
  if (i == n) return false;
  constexpr int64_t saturated = int64_t{1} << 40;
  int64_t magnitude = 0;
  for (; i < n; ++i) {
    const uint8_t c = s[i];
    int digit = 99;
    if (c >= '0' && c <= '9') digit = c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') digit = (c | 0x20) - 'a' + 10;
    if (digit >= base) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > saturated) magnitude = saturated;
  }
  if (!is_signed) {
    if (negative || magnitude > 4294967295) return false;
    value = magnitude;
    return true;
  }
  if (base == 10) {
    if (magnitude > (negative ? 2147483648 : 2147483647)) return false;
    value = negative ? -magnitude : magnitude;
    return true;
  }
  if (magnitude > 4294967295) return false;
  value = wrap32(negative ? -wrap32(magnitude) : magnitude);
  return true;
}

}  // namespace fuzzref
