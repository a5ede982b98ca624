// The in-process runs of SORT and of its reference.
#include "sort_run.hpp"

#include <csetjmp>

#include "internal/error.hpp"
#include "linux/syscalls.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"
#include "sort_trace.hpp"

namespace {

std::vector<sortref::Call> calls;
std::jmp_buf exit_jump;
int exit_status = -1;

void exit_to_harness(int status) {
  exit_status = status;
  std::longjmp(exit_jump, 1);
}
// The exit removes the fault handlers; the test process keeps its own.
long keep_handlers(int, const void*, void*, unsigned long) {
  return 0;
}
// The report goes nowhere.
long discard(int, const void*, unsigned long count) {
  return static_cast<long>(count);
}

}  // namespace

void sorttrace::record(int32_t L, int32_t R) {
  calls.push_back({L, R});
}

namespace sortrun {

void prepare() {
  rt::platform::syscalls.exit_group = exit_to_harness;
  rt::platform::syscalls.rt_sigaction = keep_handlers;
  rt::platform::syscalls.write = discard;
  rt::ISCONSOLE = 1;
  rt::INITIALIZEUNITS();
}

Outcome run(const std::vector<SOMETYPE>& items, int32_t L, int32_t R) {
  for (int32_t i = 0; i <= NSIZE; ++i)
    B[i] = items[i];
  calls.clear();
  exit_status = -1;
  Outcome outcome;
  if (setjmp(exit_jump) == 0) {
    SORT(L, R);
  } else {
    outcome.error = exit_status;
    outcome.error_address = rt::ERRORADDR;
    rt::INOUTRES = 0;
    rt::ERRORADDR = 0;
    rt::ERRORCODE = 0;
    rt::EXITCODE = 0;
    rt::ERRORBASE = 0;
  }
  outcome.items.resize(NSIZE + 1);
  for (int32_t i = 0; i <= NSIZE; ++i)
    outcome.items[i] = B[i];
  outcome.calls = calls;
  return outcome;
}

Outcome run_literal(const std::vector<SOMETYPE>& items, int32_t L, int32_t R) {
  sortref::LiteralSort literal(items);
  Outcome outcome;
  outcome.error = literal.run(L, R);
  outcome.items = literal.items();
  outcome.calls = literal.calls();
  return outcome;
}

bool same_ending(const Outcome& a, const Outcome& b) {
  if (a.error != b.error || a.calls != b.calls || a.items.size() != b.items.size()) return false;
  for (size_t i = 0; i < a.items.size(); ++i) {
    if (a.items[i].INDEX != b.items[i].INDEX || a.items[i].VALUE != b.items[i].VALUE) return false;
  }
  return true;
}

}  // namespace sortrun
