// The splitter's global state and its routines: the items read from
// "input.txt", their halves, and the verdict written to "output.txt".
#pragma once

#include <cstdint>

#include "runtime/checks.hpp"
#include "runtime/routine.hpp"
#include "runtime/shortstring.hpp"

// One item of the task.
struct SOMETYPE {
  int32_t INDEX;  // 1-based position among the item lines
  int32_t VALUE;  // duration in seconds
};

constexpr int32_t NSIZE = 5010;  // the highest item index

// The items array, checked as every other, and room after its last entry:
// SORT reads windows of SORT_WINDOW entries at a time, which may reach up to
// SORT_WINDOW - 1 entries past B[NSIZE]; what lies there is never used, and
// nothing ever writes it. Aligned to whole entries, so that the sort moves
// each as one word.
constexpr int32_t SORT_WINDOW = 64;
struct alignas(8) ITEMARRAY {
  rt::CHECKED_ARRAY<SOMETYPE, 0, NSIZE> ENTRIES;
  SOMETYPE SLACK[SORT_WINDOW - 1];

  [[gnu::always_inline]] SOMETYPE& operator[](int32_t index) { return ENTRIES[index]; }
};

extern ITEMARRAY B;                               // the items, longest first after SORT
extern rt::CHECKED_ARRAY<int32_t, 0, NSIZE> OUT;  // the half of each input position
extern int32_t N;                                 // the number of items
extern int32_t L;                                 // the total length: minutes as read, then seconds
extern int32_t L2;                                // the capacity of one half in seconds
extern int32_t ANS;                               // 0: no valid split

// The routines are real calls, so that a report lists one line for each.
extern "C" {
RT_ROUTINE void INIT();
RT_ROUTINE int32_t CONVERT(const rt::SHORTSTRING& MSTR);  // read-only: by reference
RT_ROUTINE void SORT(int32_t L, int32_t R);
RT_ROUTINE void SOLVE2();
RT_ROUTINE void SAVE();
RT_ROUTINE void SPLITTER();
}
