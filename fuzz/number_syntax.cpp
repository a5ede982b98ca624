// Fuzz target: VALSIGNEDINT and VALUNSIGNEDINT over arbitrary tokens of up to
// 255 bytes, compared with the reference model of the number syntax.
#include <cstddef>
#include <cstdint>

#include "internal/text.hpp"
#include "reference.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 255) return -1;
  const rt::SHORTSTRING token = fuzzref::shortstring(data, size);
  int64_t expected;

  int32_t signed_value = 12345;
  const bool signed_ok = rt::VALSIGNEDINT(token, signed_value);
  fuzzref::require(signed_ok == fuzzref::number(data, size, true, expected));
  fuzzref::require(signed_value == expected);  // 0 on failure

  uint32_t unsigned_value = 12345;
  const bool unsigned_ok = rt::VALUNSIGNEDINT(token, unsigned_value);
  fuzzref::require(unsigned_ok == fuzzref::number(data, size, false, expected));
  fuzzref::require(unsigned_value == expected);
  return 0;
}
