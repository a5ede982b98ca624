// The counted string of at most 255 characters that item lines and number
// tokens are read into: a length byte followed by the characters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

constexpr int32_t SHORTSTRING_CAPACITY = 255;

struct SHORTSTRING {
  uint8_t LENGTH;
  char CHARS[SHORTSTRING_CAPACITY];

  // The character at 1-based position p, as an unsigned byte code.
  uint8_t AT(int32_t p) const { return static_cast<uint8_t>(CHARS[p - 1]); }
};

// A string holding the characters of a literal (at most 255 of them).
template <size_t N>
constexpr SHORTSTRING SHORTSTR(const char (&text)[N]) {
  static_assert(N - 1 <= SHORTSTRING_CAPACITY);
  SHORTSTRING s{};
  s.LENGTH = N - 1;
  for (size_t i = 0; i + 1 < N; ++i)
    s.CHARS[i] = text[i];
  return s;
}

}  // namespace rt
