// Both programs run on thousands of generated tasks, well-formed and hostile,
// each run held against the outcome that task_model.hpp works out for it.
// HALVES_STRESS_SEED and HALVES_STRESS_INPUTS override the fixed defaults.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "report.hpp"
#include "support.hpp"
#include "task_model.hpp"

namespace {

using testsupport::RunResult;

// splitmix64, one stream per input: an input depends on the seed and its
// index alone, whatever the order the workers take them in.
class Rng {
 public:
  Rng(uint64_t seed, uint64_t index) : state_(seed ^ (index * 0xD1B54A32D192ED03u)) {}
  uint64_t below(uint64_t n) {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return (z ^ (z >> 31)) % n;
  }
  bool one_in(uint64_t n) { return below(n) == 0; }
  int64_t between(int64_t low, int64_t high) {
    return low + static_cast<int64_t>(below(static_cast<uint64_t>(high - low + 1)));
  }
  template <size_t N>
  std::string pick(const char* const (&options)[N]) {
    return options[below(N)];
  }
  // low to high characters from chars (embedded NULs included), or any
  // bytes at all when chars is empty.
  template <size_t N>
  std::string text(int64_t low, int64_t high, const char (&chars)[N]) {
    std::string text(static_cast<size_t>(between(low, high)), '\0');
    for (char& c : text)
      c = N == 1 ? static_cast<char>(below(256)) : chars[below(N - 1)];
    return text;
  }

 private:
  uint64_t state_;
};

// clang-format off
constexpr const char* kEdgeNumbers[] = {
    "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296",
    "$FFFFFFFF", "$100000000", "-$FFFFFFFF", "$80000000", "&37777777777", "&40000000000",
    "%11111111111111111111111111111111", "%111111111111111111111111111111111", "65535", "65536",
    "35791394", "35791395", "-35791394", "-35791395", "-0", "+0", "-", "+", "$", "%", "&", "+-1",
    "0x10", "1e3", "1.5", "12abc", "\x1a", "7\x1a"};

constexpr const char* kEdgeItems[] = {
    "0000000000", "000000000", "9:0000000000", "999999999", "596523:14:07", "596523:14:08",
    "-596523:0:0", " 3:00", "35791394:7", "99999:99:99", "-1", "A:B:C", "0:-0:-0", "", ":", "::",
    "1::5", "1:2:3:4", "\xff\xff\xff\xff\xff\xff\xff\xff\xff"};
// clang-format on

std::string line_end(Rng& r) {
  return r.pick({"\n", "\n", "\n", "\r\n", "\r\n", "\r", "\n\r"});
}

// A number's surroundings: blank lines and blanks before it, which the read
// passes over, and the rest of its line, which the line skip discards (or
// which spoils the number when it follows without a blank).
std::string lead(Rng& r) {
  return r.one_in(4) ? r.text(1, 5, " \t\n\r") : "";
}
std::string tail(Rng& r) {
  if (!r.one_in(4)) return "";
  if (r.one_in(8)) return " " + r.text(1000, 5000, "x");
  return r.pick({" minutes", "\t;", "  \x1a", " \xff\xfe", "\x1a", "x", ":00"}) +
         r.text(0, 1, "\0");
}

// A well-formed token for value in one of its spellings.
std::string number_text(Rng& r, int64_t value) {
  static const struct {
    const char* prefix;
    unsigned base;
  } spellings[] = {{"", 10}, {"", 10}, {"00", 10}, {"$", 16}, {"%", 2}, {"&", 8}};
  const auto& spelling = spellings[r.below(6)];
  const char* digits = r.one_in(2) ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string text;
  uint64_t rest = static_cast<uint64_t>(value < 0 ? -value : value);
  do {
    text.insert(text.begin(), digits[rest % spelling.base]);
  } while ((rest /= spelling.base) != 0);
  return (value < 0 ? "-" : r.one_in(6) ? "+" : "") + std::string(spelling.prefix) + text;
}

// A token at or beyond the limits of the number syntax.
std::string hostile_number(Rng& r) {
  switch (r.below(4)) {
    case 0:  // only the first 255 characters form the token
      return r.text(253, 257, "0") + r.pick({"5", "x", "\x1a"});
    case 1:
      return r.pick({"", "-", "+"}) + r.text(1, 25, "0123456789");
    case 2:
      return r.text(1, 8, "0123456789abcdefxX$%&+-:.\x1a\xff");
    default:
      return r.pick(kEdgeNumbers);
  }
}

// A duration line, as people write it or as nobody would.
std::string item_text(Rng& r, bool hostile) {
  const auto field = [&r](uint64_t below) {
    return std::string(r.one_in(3) ? r.below(3) : 0, '0') + std::to_string(r.below(below));
  };
  switch (r.below(4) + (hostile ? 4 : 0)) {
    case 0:
      return field(4000);
    case 1:
      return (r.one_in(4) ? "junk:" : "") + field(3) + ":" + field(60) + ":" + field(60);
    case 4:  // any bytes, line ends too
      return r.text(0, 30, "");
    case 5:  // thousands of characters, cut to 255 when read
      return r.text(256, 4000, "0123456789::");
    case 6:
      return r.text(1, 12, "19:\0\x1a\t  ");
    case 7:
      return r.pick(kEdgeItems);
    default:
      return field(90) + ":" + field(60);
  }
}

// One task. Most are well-formed, sized to split about half the time; the
// rest are hostile in their numbers, their items, their count or throughout.
std::string generate_task(Rng& r) {
  const uint64_t kind = r.below(20);
  if (kind == 0) return r.one_in(2) ? r.text(0, 600, "") : r.text(0, 600, "0123456789:\r\n \t-+$");
  std::vector<std::string> items(r.one_in(25) ? r.between(300, 5010) : r.below(40));
  int64_t total = 0;
  for (std::string& item : items) {
    item = item_text(r, kind >= 14 && r.one_in(4));
    total += robust::duration_seconds(item).value_or(0);
  }
  const int64_t n = static_cast<int64_t>(items.size());
  std::string length = number_text(r, total / 60 + r.between(-2, 3)), count = number_text(r, n);
  if (kind == 11) length = hostile_number(r);
  if (kind == 12) count = hostile_number(r);
  if (kind == 13) {  // far above or below the items present
    count = r.pick({"", "-1", "5010", "5011", "65535", "65536", "2147483647", "-2147483648"});
    if (count.empty()) count = number_text(r, n + r.between(-9, 9));
  }
  std::string text = lead(r) + length + tail(r) + line_end(r) + lead(r) + count + tail(r);
  for (const std::string& item : items)
    text += line_end(r) + item;
  if (!r.one_in(4)) text += line_end(r);
  for (int64_t changes = kind >= 18 ? r.between(1, 4) : 0; changes > 0; --changes) {
    const size_t at = r.below(text.size() + 1);  // insert, remove or replace a byte
    const uint64_t how = at == text.size() ? 0 : r.below(3);
    if (how == 0) text.insert(at, r.text(1, 1, "\0\x1a\r\n: -$9\xff"));
    if (how == 1) text.erase(at, 1 + r.below(3));
    if (how == 2) text[at] = static_cast<char>(r.below(256));
  }
  return text;
}

const std::set<int> kDocumented = {2,   3,   4,   5,   6,   8,   87,  101, 103, 104, 105, 106, 109,
                                   112, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161,
                                   162, 200, 201, 202, 205, 206, 207, 215, 216, 217, 223};

const std::string kSentinel = "an earlier answer, longer than most\r\n" + std::string(300, '#');

// What is wrong with one run, whatever the program; empty when nothing.
std::string run_fault(const RunResult& r, int expected_exit,
                      const std::optional<std::string>& output) {
  const std::string ended = testsupport::describe(r);
  if (!r.exited) return "ended by " + ended;
  if (r.exit_code != 0 && kDocumented.count(r.exit_code) == 0) return "undocumented " + ended;
  if (r.exit_code != expected_exit)
    return ended + ", expected exit " + std::to_string(expected_exit);
  if (r.exit_code == 0) return r.stdout_bytes.empty() ? "" : "standard output on a normal run";
  if (testsupport::report_number(r.stdout_bytes) != r.exit_code)
    return "bad report " + r.stdout_bytes;
  return output == kSentinel ? "" : "output.txt changed by a failing run";
}

uint64_t from_environment(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != 0 ? std::strtoull(value, nullptr, 0) : fallback;
}

TEST(Stress, BothProgramsOnGeneratedTasks) {
  const uint64_t seed = from_environment("HALVES_STRESS_SEED", 0x5EED2024);
  const uint64_t inputs = from_environment("HALVES_STRESS_INPUTS", 6000);
  const char* const names[] = {"splitter", "refuser"};
  std::map<int, uint64_t> exits[2];  // by exit code, a signal as its negative
  uint64_t splits = 0;               // splitter answers other than -1
  std::vector<std::string> faults;
  std::mutex lock;

  const auto one_input = [&](uint64_t index) {
    Rng rng(seed, index);
    const std::string task = generate_task(rng);
    const robust::SplitOutcome split = robust::expected_split(task);
    const int expected_exit[] = {split.exit_code, robust::expected_refusal(task)};
    const std::function<std::string(const std::string&)> answer_fault[] = {
        [&](const std::string& answer) { return robust::split_answer_fault(answer, split); },
        [](const std::string& answer) { return answer == "-1" ? "" : "answer is not -1"; }};
    testsupport::TempDir dir;
    dir.write("input.txt", task);
    for (const int p : {0, 1}) {
      dir.write("output.txt", kSentinel);
      const RunResult r = testsupport::run(
          p == 0 ? SPLITTER_PATH : REFUSER_PATH, dir.path(),
          index % 2 ? testsupport::StdoutKind::File : testsupport::StdoutKind::Pipe);
      const std::optional<std::string> output = dir.read("output.txt");
      std::string fault = run_fault(r, expected_exit[p], output);
      if (fault.empty() && r.exit_code == 0) fault = answer_fault[p](output.value_or(""));
      const std::lock_guard<std::mutex> hold(lock);
      ++exits[p][r.exited ? r.exit_code : -r.signal];
      splits += p == 0 && r.exit_code == 0 && split.splits;
      if (!fault.empty()) {
        faults.push_back("input #" + std::to_string(index) + ", " + names[p] + ": " + fault +
                         "\n  input: " + testing::PrintToString(task.substr(0, 240)));
      }
    }
  };
  // Runs wait on process start-up more than on the processors: four workers.
  std::atomic<uint64_t> next{0};
  std::vector<std::thread> pool(4);
  for (std::thread& worker : pool) {
    worker = std::thread([&] {
      for (uint64_t index; (index = next++) < inputs;) {
        try {
          one_input(index);
        } catch (const std::exception& e) {
          const std::lock_guard<std::mutex> hold(lock);
          faults.push_back("input #" + std::to_string(index) + ": " + e.what());
        }
      }
    });
  }
  for (std::thread& worker : pool)
    worker.join();

  std::printf("stress seed %llu, %llu inputs, %llu splitter answers other than -1\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(inputs),
              static_cast<unsigned long long>(splits));
  RecordProperty("seed", std::to_string(seed));
  RecordProperty("splits", std::to_string(splits));
  for (const int p : {0, 1}) {
    std::string histogram;
    for (const auto& [code, times] : exits[p])
      histogram += " " + std::to_string(code) + ":" + std::to_string(times);
    std::printf("  %s exits (code:runs)%s\n", names[p], histogram.c_str());
    RecordProperty(names[p], histogram);
  }
  if (!faults.empty()) ADD_FAILURE() << faults.size() << " runs went wrong; the first ones:";
  faults.resize(std::min<size_t>(faults.size(), 10));
  for (const std::string& fault : faults)
    ADD_FAILURE() << "seed " << seed << ", " << fault;
}

}  // namespace
