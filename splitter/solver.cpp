// Ordering the items longest first and placing each on half 1 while it fits.
#include "splitter.hpp"

using namespace rt;

// A test build defines SORT_TRACE to record each call of SORT; here it is
// nothing.
#ifndef SORT_TRACE
#define SORT_TRACE(L, R)
#endif

// A quicksort with the middle element as pivot. Strict comparisons stop both
// scans at entries equal to the pivot, and the right part is sorted first.
void SORT(int32_t L, int32_t R) {
  SORT_TRACE(L, R);
  int32_t I = L;
  int32_t J = R;
  const int32_t X = B[CHECKED_ADD(L, R) / 2].VALUE;
  do {
    while (B[I].VALUE > X)
      I = CHECKED_ADD(I, 1);
    while (B[J].VALUE < X)
      J = CHECKED_SUB(J, 1);
    if (I <= J) {
      const SOMETYPE P = B[I];
      B[I] = B[J];
      B[J] = P;
      I = CHECKED_ADD(I, 1);
      J = CHECKED_SUB(J, 1);
    }
  } while (I <= J);
  if (I < R) SORT(I, R);
  if (J > L) SORT(L, J);
}

// Greedy: half 1 takes an item when it still fits (an exact fit included),
// half 2 takes it otherwise without a test; the verdict checks both halves.
void SOLVE2() {
  int32_t C1 = 0;
  int32_t C2 = 0;
  for (int32_t I = 1; I <= N; ++I) {
    const SOMETYPE& item = B[I];
    if (CHECKED_ADD(item.VALUE, C1) <= L2) {
      C1 = CHECKED_ADD(C1, item.VALUE);
      OUT[item.INDEX] = 1;
    } else {
      C2 = CHECKED_ADD(C2, item.VALUE);
      OUT[item.INDEX] = 2;
    }
  }
  ANS = (C1 > L2 || C2 > L2) ? 0 : 1;
}
