// Converting a number token: an optional sign, an optional base prefix
// ($ 16, % 2, & 8) and the digits of the base, checked against the limit of
// the read's type.
#include "internal/text.hpp"

namespace rt {

namespace {

// The value of a digit character in any base up to 16; 16 for anything else.
uint32_t digit_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 16;
}

// INITVAL: the sign, the base and the magnitude of a token. The limit is
// 4294967295, except 2147483647 (2147483648 when negative) for a signed
// decimal.
bool INITVAL(const SHORTSTRING& token, bool is_signed, bool& negative, uint32_t& magnitude) {
  int32_t p = 1;
  const int32_t length = token.LENGTH;
  while (p <= length && (token.AT(p) == ' ' || token.AT(p) == '\t'))
    ++p;
  negative = false;
  if (p <= length && (token.AT(p) == '+' || token.AT(p) == '-')) {
    negative = token.AT(p) == '-';
    ++p;
  }
  uint32_t base = 10;
  if (p <= length) {
    switch (token.AT(p)) {
      case '$':
        base = 16;
        break;
      case '%':
        base = 2;
        break;
      case '&':
        base = 8;
        break;
      default:
        break;
    }
    if (base != 10) ++p;
  }
  if (p > length) return false;
  uint64_t limit = 4294967295u;
  if (is_signed && base == 10) limit = negative ? 2147483648u : 2147483647u;
  uint64_t value = 0;
  for (; p <= length; ++p) {
    const uint32_t digit = digit_value(token.AT(p));
    if (digit >= base) return false;
    value = value * base + digit;
    if (value > limit) return false;
  }
  magnitude = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

bool VALSIGNEDINT(const SHORTSTRING& token, int32_t& value) {
  bool negative;
  uint32_t magnitude;
  value = 0;
  if (!INITVAL(token, true, negative, magnitude)) return false;
  // The bit pattern read as signed, negated with wrap-around: $FFFFFFFF is -1.
  value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

bool VALUNSIGNEDINT(const SHORTSTRING& token, uint32_t& value) {
  bool negative;
  uint32_t magnitude;
  value = 0;
  if (!INITVAL(token, false, negative, magnitude) || negative) return false;
  value = magnitude;
  return true;
}

}  // namespace rt
