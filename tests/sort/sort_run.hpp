// Runs the solver's SORT on given entries of B, in the test's own process,
// recording its calls: a failed check ends SORT through the run-time error
// exit, whose system calls are redirected so that it comes back with the
// error number instead of ending the process.
#pragma once

#include <cstdint>
#include <vector>

#include "literal_sort.hpp"
#include "splitter.hpp"

namespace sortrun {

// Where SORT ended, and what it did.
struct Outcome {
  int32_t error = 0;           // 0, or the run-time error number
  uint64_t error_address = 0;  // where the report locates it
  std::vector<SOMETYPE> items;
  std::vector<sortref::Call> calls;
};

// Redirects the error exit; once per process, before the first run.
void prepare();

// SORT(L, R) on B[0..NSIZE] = items, with `room` bytes of stack below the
// caller's frame for the sort to count on: none takes every part the way of
// the calls, a little takes the smallest parts the other way once the calls
// are deep, and the most any part.
constexpr uintptr_t kNoRoom = 0;
constexpr uintptr_t kLittleRoom = 6 * 1024;
constexpr uintptr_t kAllRoom = UINTPTR_MAX;
Outcome run(const std::vector<SOMETYPE>& items, int32_t L, int32_t R, uintptr_t room = kAllRoom);

// The reference on the same entries.
Outcome run_literal(const std::vector<SOMETYPE>& items, int32_t L, int32_t R);

// The same error, calls and final entries.
bool same_ending(const Outcome& a, const Outcome& b);

}  // namespace sortrun
