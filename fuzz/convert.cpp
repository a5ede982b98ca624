// Fuzz target: CONVERT over arbitrary texts of up to 255 bytes, compared with
// a 64-bit model. An overflow ends CONVERT through the run-time error exit;
// here the exit's system calls are redirected so that it jumps back instead
// of ending the process, and the exit code must then be 215.
#include <csetjmp>
#include <cstddef>
#include <cstdint>

#include "internal/error.hpp"
#include "linux/syscalls.hpp"
#include "reference.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"
#include "splitter.hpp"

namespace {

std::jmp_buf exit_jump;
int exit_status = -1;

void exit_to_harness(int status) {
  exit_status = status;
  std::longjmp(exit_jump, 1);
}
// The exit removes the fault handlers; libFuzzer's own must stay.
long keep_handlers(int, const void*, void*, unsigned long) {
  return 0;
}
long discard(int, const void*, unsigned long count) {
  return static_cast<long>(count);
}

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
  rt::platform::syscalls.exit_group = exit_to_harness;
  rt::platform::syscalls.rt_sigaction = keep_handlers;
  rt::platform::syscalls.write = discard;
  rt::ISCONSOLE = 1;
  rt::INITIALIZEUNITS();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 255) return -1;
  const rt::SHORTSTRING text = fuzzref::shortstring(data, size);
  int64_t expected = 0;
  const bool fits = model(data, size, expected);
  exit_status = -1;
  if (setjmp(exit_jump) == 0) {
    const int32_t seconds = CONVERT(text);
    fuzzref::require(fits && seconds == expected);
  } else {
    fuzzref::require(!fits && exit_status == rt::RTE_OVERFLOW);
    rt::INOUTRES = 0;
    rt::ERRORADDR = 0;
    rt::ERRORCODE = 0;
    rt::EXITCODE = 0;
    rt::ERRORBASE = 0;
  }
  return 0;
}
