// SORT as the splitter's rules state it, entry by entry: the quicksort with
// the middle element as pivot, strict comparisons, both scans stopping at
// entries equal to the pivot, the right part sorted first. The reference the
// solver's SORT is compared against; it works on a copy of B, records every
// call, and stops at the first failed check with its run-time error number.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "splitter.hpp"

namespace sortref {

struct Call {
  int32_t L;
  int32_t R;
  bool operator==(const Call&) const = default;
};

constexpr int32_t kRangeError = 201;
constexpr int32_t kOverflowError = 215;

class LiteralSort {
 public:
  // The entries B[0..NSIZE].
  explicit LiteralSort(std::vector<SOMETYPE> items) : b_(std::move(items)) {}

  // SORT(L, R): 0 when it ends normally, or the number of the error.
  int32_t run(int32_t L, int32_t R) {
    error_ = 0;
    sort(L, R);
    return error_;
  }

  const std::vector<SOMETYPE>& items() const { return b_; }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  bool fail(int32_t number) {
    error_ = number;
    return false;
  }
  bool in_range(int32_t index) { return (index >= 0 && index <= NSIZE) || fail(kRangeError); }
  bool add(int32_t a, int32_t b, int32_t& sum) {
    return !__builtin_add_overflow(a, b, &sum) || fail(kOverflowError);
  }

  bool sort(int32_t L, int32_t R) {
    calls_.push_back({L, R});
    int32_t I = L;
    int32_t J = R;
    int32_t sum;
    if (!add(L, R, sum) || !in_range(sum / 2)) return false;
    const int32_t X = b_[sum / 2].VALUE;
    do {
      for (;;) {
        if (!in_range(I)) return false;
        if (!(b_[I].VALUE > X)) break;
        if (!add(I, 1, I)) return false;
      }
      for (;;) {
        if (!in_range(J)) return false;
        if (!(b_[J].VALUE < X)) break;
        if (!add(J, -1, J)) return false;
      }
      if (I <= J) {
        const SOMETYPE P = b_[I];
        b_[I] = b_[J];
        b_[J] = P;
        if (!add(I, 1, I) || !add(J, -1, J)) return false;
      }
    } while (I <= J);
    if (I < R && !sort(I, R)) return false;
    if (J > L && !sort(L, J)) return false;
    return true;
  }

  std::vector<SOMETYPE> b_;
  std::vector<Call> calls_;
  int32_t error_ = 0;
};

}  // namespace sortref
