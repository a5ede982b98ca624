// Fuzz target: CONVERT over arbitrary texts of up to 255 bytes, compared with
// a 64-bit model. An overflow ends CONVERT through the run-time error exit;
// here the exit's system calls are redirected so that it jumps back instead
// of ending the process, and the exit code must then be 215.
#include <cstddef>
#include <cstdint>

#include "caught_exit.hpp"
#include "reference.hpp"
#include "splitter.hpp"

namespace {

bool in_int32(int64_t x) {
  return x >= INT32_MIN && x <= INT32_MAX;
}

// Fields are split at the colons from the right: seconds, minutes, hours;
// anything left of a third colon is ignored. Every character of a field is a
// digit worth its code - 48, the rightmost at place 1. Each intermediate result
// is checked against the 32-bit range; false means an overflow.
bool model(const uint8_t* s, size_t n, int64_t& seconds) {
  int64_t fields[3] = {0, 0, 0};
  size_t end = n;
  for (int64_t& field : fields) {
    size_t begin = end;
    while (begin > 0 && s[begin - 1] != ':')
      --begin;
    int64_t place = 1;
    for (size_t i = end; i > begin; --i) {
      const int64_t term = (int64_t{s[i - 1]} - 48) * place;
      field += term;
      place *= 10;
      if (!in_int32(term) || !in_int32(field) || !in_int32(place)) return false;
    }
    if (begin == 0) break;
    end = begin - 1;
  }
  const int64_t minutes = fields[1] * 60, total = minutes + fields[0];
  const int64_t hours = fields[2] * 3600;
  seconds = hours + total;
  return in_int32(minutes) && in_int32(total) && in_int32(hours) && in_int32(seconds);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  caughtexit::prepare();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 255) return -1;
  const rt::SHORTSTRING text = fuzzref::shortstring(data, size);
  int64_t expected = 0;
  const bool fits = model(data, size, expected);
  int32_t seconds = 0;
  const caughtexit::Ending ending = caughtexit::run([&] { seconds = CONVERT(text); });
  if (ending.error == 0) {
    fuzzref::require(fits && seconds == expected);
  } else {
    fuzzref::require(!fits && ending.error == rt::RTE_OVERFLOW);
  }
  return 0;
}
