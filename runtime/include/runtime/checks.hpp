// Checked execution: the overflow, range and I/O checks, the always-inline
// helpers that program code uses around them, and an array type whose every
// index is checked against its range record.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

namespace rt {

// The bounds a range check tests against, lowest first.
struct RANGEREC {
  int32_t LOW;
  int32_t HIGH;
};

// The checks. Each returns when it passes and raises its run-time error
// (located just after its call in the checking routine) when it fails.
[[noreturn]] void INT_OVERFLOW();
void INT_BOUNDCHECK(int32_t value, const RANGEREC& range);
// Raises the pending I/O result, clearing it so that the report can be written.
[[noreturn]] void INT_IORAISE();

// The I/O check after every file statement. Passing costs one test of
// INOUTRES in the calling routine; only a pending result makes a call.
[[gnu::always_inline]] inline void INT_IOCHECK() {
  if (INOUTRES != 0) [[unlikely]]
    INT_IORAISE();
}

// Checked 32-bit signed arithmetic: the test sits in the calling routine and
// INT_OVERFLOW is called only when it fails.
[[gnu::always_inline]] inline int32_t CHECKED_ADD(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) [[unlikely]]
    INT_OVERFLOW();
  return r;
}
[[gnu::always_inline]] inline int32_t CHECKED_SUB(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) [[unlikely]]
    INT_OVERFLOW();
  return r;
}
[[gnu::always_inline]] inline int32_t CHECKED_MUL(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) [[unlikely]]
    INT_OVERFLOW();
  return r;
}

// The passing range check stays in the caller: two signed comparisons.
[[gnu::always_inline]] inline void CHECK_RANGE(int32_t value, const RANGEREC& range) {
  if (value < range.LOW || value > range.HIGH) [[unlikely]] {
    INT_BOUNDCHECK(value, range);
    __builtin_unreachable();  // it raises for a value out of range
  }
}

// An array indexed LOW to HIGH whose only access is the checked operator[].
template <typename T, int32_t LOW, int32_t HIGH>
class CHECKED_ARRAY {
 public:
  static constexpr RANGEREC RANGE{LOW, HIGH};

  [[gnu::always_inline]] T& operator[](int32_t index) {
    CHECK_RANGE(index, RANGE);
    return items_[index - LOW];
  }

 private:
  T items_[HIGH - LOW + 1];
};

}  // namespace rt
