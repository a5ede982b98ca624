// Fuzz target: the solver's SORT against the quicksort entry by entry (the
// reference of tests/sort), on parts of B built from the input: the same
// run-time error, the same calls (L, R) and the same final B.
//
// Input: a byte of options, two bytes of place, then one value per byte (or
// per four bytes). Options: bits 0-1 where the part lies (1..n as after INIT,
// anywhere, from B[0], up to B[NSIZE]); bits 2-3 how bytes become values (a
// signed byte, one of four, one of seven extremes, four bytes each); bit 4
// moves the bounds by the second place byte, which may take them out of B or
// cross them.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sort_run.hpp"

namespace {

constexpr size_t kMostValues = 600;  // enough for several windows, fast enough to fuzz

int32_t value_of(const uint8_t* bytes, size_t& at, size_t size, unsigned coding) {
  static constexpr int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0, 1, INT32_MIN + 1, 7};
  const uint8_t byte = bytes[at++];
  switch (coding) {
    case 0:
      return static_cast<int8_t>(byte);
    case 1:
      return byte % 4;
    case 2:
      return extremes[byte % 7];
    default: {
      uint32_t word = byte;
      for (int k = 0; k < 3 && at < size; ++k)
        word = word << 8 | bytes[at++];
      return static_cast<int32_t>(word);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  sortrun::prepare();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return -1;
  const unsigned options = data[0];
  std::vector<int32_t> values;
  for (size_t at = 3; at < size && values.size() < kMostValues;)
    values.push_back(value_of(data, at, size, options >> 2 & 3));
  const int32_t n = static_cast<int32_t>(values.size());

  // Entries outside the part that windows may read but must not change.
  std::vector<SOMETYPE> items(NSIZE + 1, SOMETYPE{0, 0});
  const bool after_init = (options & 3) == 0;
  if (!after_init) {
    for (int32_t i = 0; i <= NSIZE; ++i)
      items[i] = {-1 - i, static_cast<int32_t>((i * 2654435761U) >> 20) - 2048};
  }
  int32_t L = 1;
  switch (options & 3) {
    case 1:
      L = (data[1] << 8 | data[2]) % (NSIZE + 2 - n);
      break;
    case 2:
      L = 0;
      break;
    case 3:
      L = NSIZE + 1 - n;
      break;
  }
  for (int32_t i = 0; i < n; ++i)
    items[L + i] = {i + 1, values[i]};
  int32_t R = L + n - 1;
  if (options & 16) {
    const int8_t shift = static_cast<int8_t>(data[1]);
    (shift & 1 ? L : R) += shift / 2;
  }

  const sortrun::Outcome solver = sortrun::run(items, L, R);
  const sortrun::Outcome literal = sortrun::run_literal(items, L, R);
  if (!sortrun::same_ending(solver, literal)) __builtin_trap();
  return 0;
}
