// A program linked with the runtime that raises one run-time error or fault,
// chosen by the first line of "scenario.txt", so that tests can check the
// real exit path and its report.
#include <climits>

#include "runtime/checks.hpp"
#include "runtime/error.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"

using namespace rt;

namespace {

bool equals(const SHORTSTRING& s, const char* text) {
  int32_t i = 0;
  for (; text[i] != 0; ++i) {
    if (i >= s.LENGTH || s.CHARS[i] != text[i]) return false;
  }
  return i == s.LENGTH;
}

// Values the compiler cannot fold, so each fault happens at run time.
volatile int32_t one = 1;
volatile int32_t zero = 0;

rt::CHECKED_ARRAY<int32_t, 0, 10> table{};

}  // namespace

extern "C" {

[[gnu::noipa]] void PROBE_OVERFLOW() { table[0] = CHECKED_ADD(INT_MAX, one); }

[[gnu::noipa]] void PROBE_RANGE_PAST() { table[10 + one] = 1; }

[[gnu::noipa]] void PROBE_RANGE_BOUNDS() { table[0] = table[10 * one] + one; }

[[gnu::noipa]] void PROBE_IO() {
  TEXT f;
  ASSIGN(f, "missing.txt");
  RESET(f);
  INT_IOCHECK();
}

// Twelve routines deep: PROBE_DEEP(12) calls PROBE_DEEP(11) ... down to 1,
// which fails its overflow check.
[[gnu::noipa]] void PROBE_DEEP(int32_t depth) {
  if (depth > 1) {
    PROBE_DEEP(depth - 1);
    table[0] = one;  // keeps the call a call, not a jump
  } else {
    PROBE_OVERFLOW();
  }
}

[[gnu::noipa]] void PROBE() {
  ISCONSOLE = 1;
  INITIALIZEUNITS();
  TEXT f;
  SHORTSTRING scenario;
  ASSIGN(f, "scenario.txt");
  RESET(f);
  INT_IOCHECK();
  READ_STRING(f, scenario, SHORTSTRING_CAPACITY);
  READLN_END(f);
  INT_IOCHECK();
  CLOSE(f);
  INT_IOCHECK();
  if (equals(scenario, "overflow")) PROBE_OVERFLOW();
  if (equals(scenario, "range_past")) PROBE_RANGE_PAST();
  if (equals(scenario, "range_bounds")) PROBE_RANGE_BOUNDS();
  if (equals(scenario, "io")) PROBE_IO();
  if (equals(scenario, "deep")) PROBE_DEEP(12);
  DO_EXIT();
}

}  // extern "C"

constinit const MAINROUTINE rt::PROGRAM_MAIN = PROBE;
