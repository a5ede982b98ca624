// The splitter's longest-first order and greedy assignment, run for real.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "splitter_run.hpp"

namespace {

using namespace splittertest;

TEST(SplitterSolve, HalvesFollowTheItemsInAnyInputOrder) {
  // Halves of 600: 400 and 200 on half 1, 300 and 100 on half 2.
  const std::map<int, std::string> text{{100, "1:40"}, {200, "3:20"}, {300, "5:00"}, {400, "6:40"}};
  const std::map<int, std::string> half{{100, "2"}, {200, "1"}, {300, "2"}, {400, "1"}};
  std::vector<int> order{100, 200, 300, 400};
  do {
    std::string input = "20\n4\n";
    std::string answer;
    for (int seconds : order) {
      input += text.at(seconds) + "\n";
      answer += half.at(seconds) + "\r\n";
    }
    SCOPED_TRACE(input);
    ExpectAnswer(input, answer);
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(SplitterSolve, Verdicts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // Halves of 600: 500 on half 1, then 400 and 300 overfill half 2.
      {"20\n3\n8:20\n6:40\n5:00\n", "-1\r\n"},
      // Halves of 300: half 1 takes 150 and 120, half 2 ends at 330, although
      // 150+90+60 and 120+90+90 would fit.
      {"10\n6\n2:30\n2:00\n1:30\n1:30\n1:30\n1:00\n", "-1\r\n"},
      // Halves of -30: every item goes to half 2, and half 1 holds 0 > -30,
      // even where half 2 fits (".0" is -2*10+0 = -20; -40 <= -30).
      {"-1\n2\n0\n10\n", "-1\r\n"},
      {"-1\n2\n.0\n.0\n", "-1\r\n"},
      // Halves of -30; "-5" is -3*10+5 = -25, "&0" is -10*10+0 = -100. -20
      // and -25 exceed -30 alone and go to half 2 (-45), -100 fits half 1;
      // both sums are at most -30.
      {"-1\n3\n.0\n-5\n&0\n", "2\r\n2\r\n1\r\n"},
      // Equal items, positions 1-4 of 100 each, halves of 300. SORT(1,4),
      // pivot B[2]: swaps 1<->4 and 2<->3 give 4 3 2 1; SORT(3,4) swaps to
      // 4 3 1 2; SORT(1,2) swaps to 3 4 1 2. Half 1 takes 3, 4, 1; 2 goes to
      // half 2.
      {"10\n4\n100\n1:40\n0:1:40\n100\n", "1\r\n2\r\n1\r\n1\r\n"},
      // Positions 1-5 of 60, 120, 180, 60, 120, halves of 360. SORT(1,5),
      // pivot 180: I stops at 1, J at 3, swap: 3 2 1 4 5; then I=J=2, J scans
      // to 1. SORT(2,5), pivot B[3]=60: I scans to 3, J stops at 5, swap:
      // 3 2 5 4 1; I=J=4 swaps itself. SORT(2,3), pivot 120: 3 5 2 4 1.
      // Half 1 takes 180, 5 (300), not 2 (420), 4 (360), not 1.
      {"12\n5\n1:00\n2:00\n3:00\n1:00\n2:00\n", "2\r\n2\r\n1\r\n1\r\n1\r\n"},
  };
  for (const auto& [input, answer] : cases) {
    SCOPED_TRACE(input);
    ExpectAnswer(input, answer);
  }
}

TEST(SplitterSolve, OverflowingSumsEndWith215InSolve2) {
  // Halves of 1073741820; two items of 2147483647 both go to half 2.
  ExpectError("35791394\n2\n35791394:07\n35791394:07\n", 215, kInSolve);
  // Halves of 0; two items of -1800000000: the second's test sum overflows.
  ExpectError("0\n2\n-0000000:0\n-0000000:0\n", 215, kInSolve);
}

TEST(SplitterSolve, NegativeCountEndsWith201InSort) {
  // N = -1 and -2: the pivot is B[0], the scan of J reaches B[-1] or B[-2].
  // N = -3, -5 and the least: the pivot index is -1, -2, -1073741823.
  for (const char* count : {"-1", "-2", "-3", "-5", "-2147483648"}) {
    SCOPED_TRACE(count);
    ExpectError(std::string("20\n") + count + "\n1:00\n", 201, kInSort);
  }
}

}  // namespace
