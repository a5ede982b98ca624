// The solver's SORT against the quicksort entry by entry: on every input the
// same final B (INDEX and VALUE of every entry), the same calls (L, R) in the
// same order, and the same run-time error, raised in SORT itself.
//
// CI runs a fixed, seeded share. SORT_DIFF_ARRAYS=<count> (and optionally
// SORT_DIFF_SEED=<seed>) runs the long run, ManyArraysFromTheEnvironment,
// which is skipped otherwise: every count with every kind, then that many
// random arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "deepening.hpp"
#include "literal_sort.hpp"
#include "report.hpp"
#include "sort_run.hpp"

namespace {

using Items = std::vector<SOMETYPE>;

// xorshift64*: the same arrays on every run.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 2685821657736338717ULL + 1) {}
  uint64_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 2685821657736338717ULL;
  }
  int32_t below(int32_t bound) {
    return static_cast<int32_t>(next() % static_cast<uint64_t>(bound));
  }
  int32_t any() { return static_cast<int32_t>(next() >> 32); }

 private:
  uint64_t state_;
};

// Orders that each exercise something of the partition: stoppers dense or
// sparse, equal runs, crossings at every place, recursion that deepens.
enum class Kind {
  kRandom,       // the whole 32-bit range
  kDuplicates,   // values below n / 4: many equal runs
  kFewDistinct,  // three values
  kEqual,        // one value
  kAscending,    // the reverse of the order SORT makes
  kDescending,   // already in order
  kOrganPipe,    // up, then down
  kValley,       // down, then up
  kSawtooth,     // short ascending runs
  kExtremes,     // mostly INT32_MIN, INT32_MAX, -1, 0, 1
  kDeepening,    // the longest item in the middle of every part
};
constexpr Kind kKinds[] = {Kind::kRandom,    Kind::kDuplicates, Kind::kFewDistinct, Kind::kEqual,
                           Kind::kAscending, Kind::kDescending, Kind::kOrganPipe,   Kind::kValley,
                           Kind::kSawtooth,  Kind::kExtremes,   Kind::kDeepening};

const char* name(Kind kind) {
  constexpr const char* names[] = {"random",    "duplicates", "few distinct", "equal",
                                   "ascending", "descending", "organ pipe",   "valley",
                                   "sawtooth",  "extremes",   "deepening"};
  return names[static_cast<int>(kind)];
}

std::vector<int32_t> values(Kind kind, int32_t n, Random& random) {
  std::vector<int32_t> v(n);
  const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0, 1, INT32_MIN + 1, INT32_MAX - 1};
  const int32_t run = 1 + random.below(8);
  for (int32_t i = 0; i < n; ++i) {
    switch (kind) {
      case Kind::kRandom:
        v[i] = random.any();
        break;
      case Kind::kDuplicates:
        v[i] = random.below(std::max(1, n / 4));
        break;
      case Kind::kFewDistinct:
        v[i] = random.below(3);
        break;
      case Kind::kEqual:
        v[i] = 700;
        break;
      case Kind::kAscending:
        v[i] = i;
        break;
      case Kind::kDescending:
        v[i] = n - i;
        break;
      case Kind::kOrganPipe:
        v[i] = std::min(i, n - 1 - i);
        break;
      case Kind::kValley:
        v[i] = std::max(i, n - 1 - i);
        break;
      case Kind::kSawtooth:
        v[i] = i % run;
        break;
      case Kind::kExtremes:
        v[i] = random.below(4) == 0 ? random.any() : extremes[random.below(7)];
        break;
      case Kind::kDeepening:
        break;
    }
  }
  if (kind == Kind::kDeepening) v = testsupport::deepening_durations(n);
  return v;
}

// B as INIT leaves it for n items: entries 1 to n in input order, the rest
// all zero.
Items task(const std::vector<int32_t>& durations) {
  Items items(NSIZE + 1, SOMETYPE{0, 0});
  for (size_t i = 0; i < durations.size(); ++i)
    items[i + 1] = {static_cast<int32_t>(i + 1), durations[i]};
  return items;
}

// Every entry set, the part B[L..] to `durations`, the others to values
// that a partition must neither use nor change.
Items part_of(int32_t L, const std::vector<int32_t>& durations, Random& random) {
  Items items(NSIZE + 1);
  for (int32_t i = 0; i <= NSIZE; ++i)
    items[i] = {-1 - i, random.below(3) == 0 ? random.any() : random.below(64)};
  for (size_t i = 0; i < durations.size(); ++i)
    items[L + i] = {static_cast<int32_t>(i + 1), durations[i]};
  return items;
}

// This test's own functions, SORT among them.
const testsupport::CodeMap& own_code() {
  static const testsupport::CodeMap code(std::filesystem::read_symlink("/proc/self/exe"));
  return code;
}

// SORT(L, R) and the reference on the same entries end alike, whatever room
// the stack leaves the sort.
testing::AssertionResult SortsAlike(const Items& items, int32_t L, int32_t R) {
  const sortrun::Outcome literal = sortrun::run_literal(items, L, R);
  for (const uintptr_t room : {sortrun::kNoRoom, sortrun::kLittleRoom, sortrun::kAllRoom}) {
    const sortrun::Outcome solver = sortrun::run(items, L, R, room);
    auto failure = [&] {
      return testing::AssertionFailure()
             << "SORT(" << L << ", " << R << ") with " << room << " bytes of room: ";
    };
    if (solver.error != literal.error)
      return failure() << "run-time error " << solver.error << ", the reference's "
                       << literal.error;
    if (solver.calls != literal.calls) {
      const auto [mine, theirs] = std::mismatch(solver.calls.begin(), solver.calls.end(),
                                                literal.calls.begin(), literal.calls.end());
      const size_t k = mine - solver.calls.begin();
      auto f = failure() << solver.calls.size() << " calls, the reference's "
                         << literal.calls.size() << "; call " << k << " is ";
      if (mine != solver.calls.end()) f << "(" << mine->L << ", " << mine->R << ")";
      if (theirs != literal.calls.end()) f << " against (" << theirs->L << ", " << theirs->R << ")";
      return f;
    }
    for (int32_t i = 0; i <= NSIZE; ++i) {
      const SOMETYPE& a = solver.items[i];
      const SOMETYPE& b = literal.items[i];
      if (a.INDEX != b.INDEX || a.VALUE != b.VALUE)
        return failure() << "B[" << i << "] is (" << a.INDEX << ", " << a.VALUE
                         << "), the reference's (" << b.INDEX << ", " << b.VALUE << ")";
    }
    if (solver.error != 0 && own_code().function_at(solver.error_address - 1) != "SORT")
      return failure() << "error " << solver.error << " located in "
                       << own_code().function_at(solver.error_address - 1);
  }
  return testing::AssertionSuccess();
}

class SortDifferential : public testing::Test {
 protected:
  static void SetUpTestSuite() { sortrun::prepare(); }
};

// The splitter's own call, SORT(1, N), the kinds taking turns: every N up to
// 1024, then every seventh (which meets every remainder of 16 or 64), and
// every kind at the largest counts. The long run below takes every
// N with every kind.
TEST_F(SortDifferential, CountsFromZeroToTheMost) {
  Random random(1);
  constexpr int32_t kinds = std::size(kKinds);
  for (int32_t n = 0; n <= NSIZE; n += n < 1024 ? 1 : 7) {
    const Kind kind = kKinds[n % kinds];
    ASSERT_TRUE(SortsAlike(task(values(kind, n, random)), 1, n)) << name(kind);
  }
  for (int32_t n = NSIZE - 2; n <= NSIZE; ++n) {
    for (Kind kind : kKinds)
      ASSERT_TRUE(SortsAlike(task(values(kind, n, random)), 1, n)) << name(kind) << ", " << n;
  }
}

// Up to a few windows, every count with every kind, several times over.
TEST_F(SortDifferential, SmallCountsOfEveryKind) {
  Random random(2);
  for (int round = 0; round < 4; ++round) {
    for (int32_t n = 0; n <= 200; ++n) {
      for (Kind kind : kKinds)
        ASSERT_TRUE(SortsAlike(task(values(kind, n, random)), 1, n)) << name(kind) << ", " << n;
    }
  }
}

// Parts anywhere in B, up against B[0] and B[NSIZE] too, among entries that
// SORT may read past the part but must leave alone.
TEST_F(SortDifferential, PartsAnywhereAmongOtherEntries) {
  Random random(3);
  for (int i = 0; i < 3000; ++i) {
    const Kind kind = kKinds[random.below(std::size(kKinds))];
    const int32_t n = 1 + (random.below(4) == 0 ? random.below(NSIZE + 1) : random.below(300));
    int32_t L = random.below(NSIZE + 2 - n);
    if (i % 5 == 1) L = 0;
    if (i % 5 == 2) L = NSIZE + 1 - n;
    const int32_t R = L + n - 1;
    ASSERT_TRUE(SortsAlike(part_of(L, values(kind, n, random), random), L, R))
        << name(kind) << ", " << n << " entries";
  }
}

// Bounds that raise run-time errors, or might: a sum that overflows, an index
// outside B for the pivot or for a scan, and L > R (as for a negative N),
// where nothing is swapped but the scans still run and may leave B.
TEST_F(SortDifferential, BoundsOutsideThePart) {
  const struct {
    int32_t L, R;
    int32_t error;  // with every entry zero, as INIT leaves B for no items
    const char* what;
  } cases[] = {
      {1, 0, 0, "N = 0"},
      {1, -1, 201, "N = -1: pivot B[0], the scan of J leaves B"},
      {1, -2, 201, "N = -2: pivot B[0]"},
      {1, -3, 201, "N = -3: the pivot index is -1"},
      {1, -5, 201, "N = -5"},
      {1, INT32_MIN, 201, "N = INT32_MIN"},
      {0, -1, 201, "the pivot index is 0"},
      {INT32_MAX, 1, 215, "L + R overflows"},
      {INT32_MIN, -1, 215, "L + R overflows downwards"},
      {-1, 3, 201, "the scan of I starts outside B"},
      {-7, 2, 201, "the pivot index is out, with L"},
      {NSIZE - 2, NSIZE + 1, 201, "the scan of J starts outside B"},
      {NSIZE + 1, NSIZE + 1, 201, "pivot past B"},
      {NSIZE, NSIZE + 2, 201, "pivot past B"},
      {NSIZE, NSIZE - 1, 0, "L > R at the end of B"},
      {NSIZE, 0, 0, "L > R across all of B"},
      {40, 30, 0, "L > R"},
      {5, 4, 0, "L > R by one"},
      {-2, -4, 201, "both outside"},
      {NSIZE + 3, NSIZE - 5, 201, "L outside, R inside"},
  };
  Random random(4);
  for (const auto& c : cases) {
    const Items zeros(NSIZE + 1, SOMETYPE{0, 0});
    EXPECT_EQ(sortrun::run(zeros, c.L, c.R).error, c.error) << c.what;
    // Zeros, entries the scans pass over, and random values.
    Items high = zeros;
    for (int32_t i = 0; i <= NSIZE; ++i)
      high[i] = {i, i % 7 == 0 ? 0 : 1000 - i % 5};
    Items noise = zeros;
    for (int32_t i = 0; i <= NSIZE; ++i)
      noise[i] = {i, random.below(6) - 2};
    for (const Items& items : {zeros, high, noise})
      EXPECT_TRUE(SortsAlike(items, c.L, c.R)) << c.what;
  }
  // L > R where a scan runs past the end of B: with rising values, the scan
  // of I from B[NSIZE - 10] never meets one below the pivot B[NSIZE - 11];
  // the scan of J from B[2] never meets one above the pivot B[3].
  Items rising(NSIZE + 1);
  for (int32_t i = 0; i <= NSIZE; ++i)
    rising[i] = {i, i};
  EXPECT_EQ(sortrun::run(rising, NSIZE - 10, NSIZE - 12).error, 201);
  EXPECT_TRUE(SortsAlike(rising, NSIZE - 10, NSIZE - 12));
  rising[4].VALUE = 0;  // stops the scan of I at once
  EXPECT_EQ(sortrun::run(rising, 4, 2).error, 201);
  EXPECT_TRUE(SortsAlike(rising, 4, 2));
}

// Recursion as deep as the entries allow, one level per item.
TEST_F(SortDifferential, DeepeningOrders) {
  Random random(5);
  for (int32_t n : {17, 64, 65, 129, 1000, 2500, NSIZE}) {
    ASSERT_TRUE(SortsAlike(task(testsupport::deepening_durations(n)), 1, n)) << n;
    ASSERT_TRUE(SortsAlike(part_of(NSIZE + 1 - n, testsupport::deepening_durations(n), random),
                           NSIZE + 1 - n, NSIZE))
        << n << " at the end of B";
  }
}

// The long run: every count with every kind, then random kinds, counts and
// places.
TEST_F(SortDifferential, ManyArraysFromTheEnvironment) {
  const char* count_text = std::getenv("SORT_DIFF_ARRAYS");
  if (count_text == nullptr) GTEST_SKIP() << "set SORT_DIFF_ARRAYS to run it";
  const long long count = std::atoll(count_text);
  const char* seed_text = std::getenv("SORT_DIFF_SEED");
  Random random(seed_text != nullptr ? std::strtoull(seed_text, nullptr, 10) : 6);
  const auto start = std::chrono::steady_clock::now();
  long long arrays = 0;
  for (int32_t n = 0; n <= NSIZE; ++n) {
    for (Kind kind : kKinds) {
      ASSERT_TRUE(SortsAlike(task(values(kind, n, random)), 1, n)) << name(kind) << ", " << n;
      ++arrays;
    }
  }
  for (long long i = 0; i < count; ++i) {
    const Kind kind = kKinds[random.below(std::size(kKinds))];
    // Mostly small, as SORT's own calls are; now and then up to the most.
    const int32_t bound = random.below(8) == 0 ? NSIZE + 1 : 1 << (1 + random.below(9));
    const int32_t n = 1 + random.below(std::min(bound, NSIZE));
    const bool in_place = random.below(2) == 0;
    const int32_t L = in_place ? 1 : random.below(NSIZE + 2 - n);
    const std::vector<int32_t> v = values(kind, n, random);
    const Items items = in_place ? task(v) : part_of(L, v, random);
    ASSERT_TRUE(SortsAlike(items, L, L + n - 1)) << name(kind) << ", array " << i;
    ++arrays;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%lld arrays in %.1f s\n", arrays, seconds);
}

}  // namespace
