// The splitter reading "input.txt": layouts, item counts and bad numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <set>

#include "splitter_run.hpp"

namespace {

using namespace splittertest;

struct Case {
  std::string input;
  std::string answer;
};

TEST(SplitterInput, LayoutsReadLikeTheSample) {
  const std::string items = "6:40\n5:00\n3:20\n1:40\n";
  for (const std::string& input : std::vector<std::string>{
           "\n\n20\n\n\n4\n" + items,
           " \t\r\n\t 20 minutes\r\n  \r\n\t4 items\r\n6:40\r\n5:00\r\n3:20\r\n1:40",
           "20\r4\r6:40\r5:00\r3:20\r1:40\r",
           "$14\n%100\n400\n0:300\n0:0:200\n100\n",
           "+20\n&4\n" + items + "9:99:99\nnot read\n",
       }) {
    SCOPED_TRACE(input);
    ExpectAnswer(input, kSampleAnswer);
  }
}

TEST(SplitterInput, CountsAndLengths) {
  const std::vector<Case> cases = {
      // Missing item lines are 0 seconds; sorted 400, 300, then 0 twice.
      {"20\n4\n6:40\n5:00\n", "1\r\n2\r\n1\r\n1\r\n"},
      {"1\n2\n\n\n", "1\r\n1\r\n"},  // empty lines are 0 seconds too
      {"20\n0\n", ""},
      {"0\n0\n", ""},
      {"-1\n0\n", "-1\r\n"},     // half 1 holds 0 > -30 seconds
      {"20\n  \n\n \t \n", ""},  // the count reads as 0
      // 35791394 minutes is the most that fits in seconds: halves of 1073741820.
      {"35791394\n1\n298261:37:00\n", "1\r\n"},
      {"-35791394\n0\n", "-1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    ExpectAnswer(c.input, c.answer);
  }
}

TEST(SplitterInput, BadNumbersEndWith106InInit) {
  for (const std::string input : {"", "20\n", "20", "  \n\n", "twenty\n4\n1:00\n", "20\nfour\n",
                                  "20\n4x\n", "2147483648\n0\n", "20\n-\n"}) {
    SCOPED_TRACE(input);
    ExpectError(input, 106, kInInit);
  }
}

TEST(SplitterInput, OverflowsEndWith215) {
  ExpectError("35791395\n0\n", 215, kInInit);
  ExpectError("-35791395\n0\n", 215, kInInit);
  ExpectError("20\n2\n1:00\n0000000000\n", 215, kInConvert);
}

TEST(SplitterInput, AtMost5010Items) {
  // Halves of 6000 seconds: the last item, 6000 seconds, fills half 1 and the
  // 5009 items of one second all go to half 2.
  ExpectAnswer("200\n5010\n" + repeat("1\n", 5009) + "1:40:00\n", repeat("2\r\n", 5009) + "1\r\n");
  // Line 5011 is read, and its index fails before its overflowing text is
  // converted.
  ExpectError("200\n5011\n" + repeat("1\n", 5010) + "0000000000\n", 201, kInInit);
  // The same in the commonest shape, h:mm:ss, and with a line after the last
  // item, which is not read.
  ExpectAnswer("200\r\n5010\r\n" + repeat("0:00:01\r\n", 5009) + "1:40:00\r\n9:99:99\r\n",
               repeat("2\r\n", 5009) + "1\r\n");
  ExpectError("200\r\n5011\r\n" + repeat("0:00:01\r\n", 5011), 201, kInInit);
}

// Thousands of distinct durations, most as h:mm:ss with CR LF, some in the
// other shapes and line ends that give the same seconds, or with a letter
// for a digit, so that the fast paths of every processor meet lines at
// every place in the blocks, runs of their shape broken anywhere, and lines
// across the blocks' ends. The greedy answer is worked out here: longest
// first, half 1 while it fits.
TEST(SplitterInput, ManyLinesInEveryShapeReadAsTheirSeconds) {
  std::mt19937 random(5);
  std::vector<int> durations(36000);
  std::iota(durations.begin(), durations.end(), 0);
  std::shuffle(durations.begin(), durations.end(), random);
  durations.resize(3000);
  const std::set<int> chosen(durations.begin(), durations.end());
  std::string items;
  char text[32];
  for (int& d : durations) {
    const int h = d / 3600, m = d / 60 % 60, s = d % 60;
    switch (random() % 16) {
      case 0:
        std::snprintf(text, sizeof text, "%d:%02d", d / 60, s);
        break;
      case 1:
        std::snprintf(text, sizeof text, "%d", d);
        break;
      case 2:
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
        break;
      case 3:
        std::snprintf(text, sizeof text, "0:%d:%d", d / 60, s);
        break;
      case 4:
        // The clock's shape with a letter for the last digit, which counts
        // its code less 48, 20 more than the digit: no fast path may take
        // it for a digit.
        if (chosen.count(d + 20) == 0) {
          std::snprintf(text, sizeof text, "%d:%02d:%d%c", h, m, s / 10, 'D' + s % 10);
          d += 20;
          break;
        }
        [[fallthrough]];
      default:
        std::snprintf(text, sizeof text, "%d:%02d:%02d", h, m, s);
    }
    const char* const ends[] = {"\n", "\r", "\r\n"};
    items += std::string(text) + ends[random() % 32 == 0 ? random() % 2 : 2];
  }
  long long total = 0;
  for (const int d : durations)
    total += d;
  const long long minutes = total / 60 + 600;  // room enough for the greedy pass
  std::vector<int> order(durations.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return durations[a] > durations[b]; });
  std::vector<int> half(durations.size());
  long long on_first = 0, on_second = 0;
  for (const int item : order) {
    const bool fits = on_first + durations[item] <= minutes * 30;
    half[item] = fits ? 1 : 2;
    (fits ? on_first : on_second) += durations[item];
  }
  ASSERT_LE(on_second, minutes * 30);
  std::string answer;
  for (const int h : half)
    answer += std::to_string(h) + "\r\n";
  ExpectAnswer(std::to_string(minutes) + "\r\n3000\r\n" + items, answer);
}

TEST(SplitterInput, LongItemLineKeepsItsFirst255Characters) {
  // Kept: 250 colons and "1:000", 60 seconds. Lost: 38 colons and "9:00:00",
  // which read from the right would make the item 9 hours and the answer -1.
  // Halves of 300: item 2 (300) fills half 1, item 1 (60) goes to half 2.
  const std::string line = repeat(":", 250) + "1:000" + repeat(":", 38) + "9:00:00";
  ASSERT_EQ(line.size(), 300u);
  ExpectAnswer("10\n2\n" + line + "\n5:00\n", "2\r\n1\r\n");
}

}  // namespace
