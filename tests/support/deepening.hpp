// An input order that drives the quicksort one level deeper per item.
#pragma once

#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

namespace testsupport {

// Durations in input order such that at every level the middle element of the
// part still to sort is its longest item. The partition then swaps it to the
// front and sorts the remaining count - 1 items one level deeper.
inline std::vector<int32_t> deepening_durations(int32_t count) {
  std::vector<int32_t> at_slot(count + 1);  // which input position sits in each slot
  std::iota(at_slot.begin(), at_slot.end(), 0);
  std::vector<int32_t> duration(count + 1);
  for (int32_t low = 1; low <= count; ++low) {
    const int32_t middle = (low + count) / 2;
    duration[at_slot[middle]] = 100000 - low;
    std::swap(at_slot[low], at_slot[middle]);
  }
  return std::vector<int32_t>(duration.begin() + 1, duration.end());
}

}  // namespace testsupport
