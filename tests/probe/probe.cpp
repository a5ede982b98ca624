// A program linked with the runtime that raises one run-time error or fault,
// chosen by the first line of "scenario.txt", so that tests can check the
// real exit path and its report. "raise" takes an exception code on the
// second line.
#include <climits>

#include "internal/error.hpp"
#include "probe.hpp"
#include "runtime/checks.hpp"
#include "runtime/routine.hpp"
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
volatile double one_float = 1.0;
volatile double zero_float = 0.0;
volatile double float_result = 0.0;
volatile double huge_float = 1e300;
int32_t* volatile nowhere = nullptr;
// An address that no program may access: on x86-64 a non-canonical one,
// which the processor refuses before any page is looked up; outside the
// address space on the others.
int32_t* volatile far_away = reinterpret_cast<int32_t*>(UINTPTR_MAX / 2 + 1);
volatile bool stop_recursion = false;
volatile bool fault_every_time = false;

rt::CHECKED_ARRAY<int32_t, 0, 10> table{};

}  // namespace

extern "C" {

RT_ROUTINE void PROBE_OVERFLOW() {
  table[0] = CHECKED_ADD(INT_MAX, one);
}

RT_ROUTINE void PROBE_RANGE_PAST() {
  table[10 + one] = 1;
}

RT_ROUTINE void PROBE_RANGE_BOUNDS() {
  table[0] = table[10 * one] + one;
}

RT_ROUTINE void PROBE_RANGE_BELOW() {
  table[one - 2] = 1;
}

RT_ROUTINE void PROBE_IO() {
  TEXT f;
  ASSIGN(f, "missing.txt");
  RESET(f);
  INT_IOCHECK();
}

// Faults, each at an instruction of its own routine. Each keeps a frame record
// (its volatile local lives on the stack), which a routine that needs no stack
// may not get from the compiler.
RT_ROUTINE void PROBE_ACCESS() {
  volatile int32_t value = one;
  *nowhere = value;
}

RT_ROUTINE void PROBE_DIVIDE() {
  volatile int32_t divisor = zero;
  table[0] = one / divisor;
}

RT_ROUTINE void PROBE_FLOAT_DIVIDE() {
  volatile double divisor = zero_float;
  float_result = one_float / divisor;
}

// 0/0 is an invalid operation, not a division by zero.
RT_ROUTINE void PROBE_FLOAT_INVALID() {
  volatile double divisor = zero_float;
  float_result = zero_float / divisor;
}

RT_ROUTINE void PROBE_NONCANONICAL() {
  volatile int32_t value = *far_away;
  (void)value;
}

// The x87 unit's wider range holds the product: there the overflow comes with
// its store as a double, and is raised at the next floating-point
// instruction, the load after it.
RT_ROUTINE void PROBE_FLOAT_OVERFLOW() {
  volatile double factor = huge_float;
  float_result = huge_float * factor;
  float_result = one_float;
}

// Recursion without end (the flag is never set), some 80 bytes of stack a
// level, so it runs out of the program stack after about 1,600 levels.
RT_ROUTINE int32_t PROBE_RECURSE(int32_t depth) {
  volatile int32_t locals[16];
  locals[0] = depth;
  if (stop_recursion) return 0;
  return PROBE_RECURSE(depth + 1) + locals[0];  // not a tail call
}

// A report line formatter that faults: once, then it hands back to the real
// one, or every time it is called.
RT_ROUTINE SHORTSTRING PROBE_FAULTING_LINE(CODEPOINTER addr) {
  if (!fault_every_time) BACKTRACESTRFUNC = SYSBACKTRACESTR;
  *nowhere = static_cast<int32_t>(addr);
  return SYSBACKTRACESTR(addr);
}

// An overflow whose report faults while it is written.
RT_ROUTINE void PROBE_FAULT_IN_REPORT(bool every_time) {
  fault_every_time = every_time;
  BACKTRACESTRFUNC = PROBE_FAULTING_LINE;
  PROBE_OVERFLOW();
}

// Twelve routines deep: PROBE_DEEP(12) calls PROBE_DEEP(11) ... down to 1,
// which calls leaf, the failing routine.
RT_ROUTINE void PROBE_DEEP(int32_t depth, void (*leaf)()) {
  if (depth > 1) {
    PROBE_DEEP(depth - 1, leaf);
    table[0] = one;  // keeps the call a call, not a jump
  } else {
    leaf();
  }
}

// Holds the file named on the scenario's second line open for reading until
// standard input ends, and says so on standard output once it holds it.
RT_ROUTINE void PROBE_HOLD(TEXT& scenario_file) {
  SHORTSTRING name;
  READ_STRING(scenario_file, name, SHORTSTRING_CAPACITY - 1);
  READLN_END(scenario_file);
  INT_IOCHECK();
  name.CHARS[name.LENGTH] = 0;
  TEXT held;
  ASSIGN(held, name.CHARS);
  RESET(held);
  INT_IOCHECK();
  WRITE_STR(0, STDOUT, SHORTSTR("held"));
  WRITELN_END(STDOUT);
  SHORTSTRING line;
  READ_STRING(INPUT, line, SHORTSTRING_CAPACITY);
}

RT_ROUTINE void PROBE() {
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
  if (equals(scenario, "hold")) PROBE_HOLD(f);
#if defined(_WIN32)
  const uint32_t code = equals(scenario, "raise") ? READ_UINT(f) : 0;
#endif
  CLOSE(f);
  INT_IOCHECK();
  if (equals(scenario, "overflow")) PROBE_OVERFLOW();
  if (equals(scenario, "range_past")) PROBE_RANGE_PAST();
  if (equals(scenario, "range_bounds")) PROBE_RANGE_BOUNDS();
  if (equals(scenario, "range_below")) PROBE_RANGE_BELOW();
  if (equals(scenario, "io")) PROBE_IO();
  if (equals(scenario, "deep")) PROBE_DEEP(12, PROBE_OVERFLOW);
  if (equals(scenario, "access")) PROBE_ACCESS();
  if (equals(scenario, "divide")) PROBE_DIVIDE();
  if (equals(scenario, "float_divide")) PROBE_FLOAT_DIVIDE();
  if (equals(scenario, "float_invalid")) PROBE_FLOAT_INVALID();
  if (equals(scenario, "noncanonical")) PROBE_NONCANONICAL();
  if (equals(scenario, "float_overflow")) PROBE_FLOAT_OVERFLOW();
  for (const PROCESSORFAULT* fault = PROCESSOR_FAULTS; fault->scenario != nullptr; ++fault) {
    if (equals(scenario, fault->scenario)) fault->routine();
  }
#if defined(_WIN32)
  if (equals(scenario, "raise")) PROBE_RAISE(code);
#else
  if (equals(scenario, "bus_error")) PROBE_BUS_ERROR();
#endif
  if (equals(scenario, "recursion")) PROBE_RECURSE(1);
  if (equals(scenario, "deep_access")) PROBE_DEEP(12, PROBE_ACCESS);
  if (equals(scenario, "report_fault_once")) PROBE_FAULT_IN_REPORT(false);
  if (equals(scenario, "report_fault_always")) PROBE_FAULT_IN_REPORT(true);
  // A fault in the main routine, whose frame record is the chain's last.
  if (equals(scenario, "main_access")) *nowhere = 1;
  DO_EXIT();
}

}  // extern "C"

constinit const MAINROUTINE rt::PROGRAM_MAIN = PROBE;
