// The in-process runs of SORT and of its reference.
#include "sort_run.hpp"

#include "caught_exit.hpp"
#include "sort_trace.hpp"

namespace {
std::vector<sortref::Call> calls;
uintptr_t stack_floor = 0;  // the room ends here
}  // namespace

void sorttrace::record(int32_t L, int32_t R) {
  calls.push_back({L, R});
}

uintptr_t sorttrace::room(uintptr_t frame) {
  return frame > stack_floor ? frame - stack_floor : 0;
}

namespace sortrun {

void prepare() {
  caughtexit::prepare();
}

Outcome run(const std::vector<SOMETYPE>& items, int32_t L, int32_t R, uintptr_t room) {
  for (int32_t i = 0; i <= NSIZE; ++i)
    B[i] = items[i];
  calls.clear();
  const uintptr_t frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  stack_floor = room < frame ? frame - room : 0;
  Outcome outcome;
  const caughtexit::Ending ending = caughtexit::run([L, R] { SORT(L, R); });
  outcome.error = ending.error;
  outcome.error_address = ending.address;
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
