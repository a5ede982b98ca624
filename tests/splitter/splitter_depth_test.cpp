// Inputs that drive the quicksort about one level deeper per item: a few
// hundred items still fit the program stack; the maximum count exhausts it.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <string>

#include "deepening.hpp"
#include "splitter_run.hpp"

namespace {

using namespace splittertest;

using testsupport::deepening_durations;

std::string task(int minutes, const std::vector<int>& durations) {
  std::string input = std::to_string(minutes) + "\n" + std::to_string(durations.size()) + "\n";
  for (int seconds : durations)
    input += std::to_string(seconds) + "\n";
  return input;
}

TEST(SplitterDepth, AFewHundredLevelsFitAndGiveTheGreedyAnswer) {
  const std::vector<int> durations = deepening_durations(300);
  const int minutes = 500000;  // halves of 15,000,000 seconds: room for half the items
  // The greedy pass, computed apart: longest first, half 1 while it fits.
  std::vector<int> order(durations.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return durations[a] > durations[b]; });
  std::vector<int> half(durations.size());
  long long on_first = 0;
  for (int item : order) {
    const bool fits = on_first + durations[item] <= minutes * 30LL;
    half[item] = fits ? 1 : 2;
    if (fits) on_first += durations[item];
  }
  std::string answer;
  for (int h : half)
    answer += std::to_string(h) + "\r\n";
  ASSERT_NE(answer.find("2\r\n"), std::string::npos);  // both halves are used
  ExpectAnswer(task(minutes, durations), answer);
}

#if defined(__clang__)
constexpr bool kPartitionsUseOnlyTheirReturnAddress = false;
#else
constexpr bool kPartitionsUseOnlyTheirReturnAddress =
    testsupport::kTarget == testsupport::Target::LinuxX86_64;
#endif

void block_segv() {
  sigset_t segv;
  sigemptyset(&segv);
  sigaddset(&segv, SIGSEGV);
  sigprocmask(SIG_BLOCK, &segv, nullptr);
}

class SplitterExhaustion : public testing::TestWithParam<bool> {};

// Also when the parent starts the splitter with SIGSEGV blocked.
TEST_P(SplitterExhaustion, TheMaximumCountExhaustsTheStackWithAFullReport) {
  if (GetParam() && testsupport::kUnderWine) GTEST_SKIP() << "signal masks are Linux's concern";
  testsupport::TempDir dir;
  dir.write("input.txt", task(500000, deepening_durations(5010)));
  dir.write("output.txt", kPrevious);
  const testsupport::RunResult r = testsupport::run(
      SPLITTER_PATH, dir.path(), testsupport::StdoutKind::File, GetParam() ? block_segv : nullptr);
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  ASSERT_EQ(r.exit_code, 202);
  testsupport::Report report;
  ASSERT_TRUE(testsupport::parse_report(r.stdout_bytes, report)) << r.stdout_bytes;
  ASSERT_EQ(report.number, 202);
  // The faulting instruction itself lies in SORT, and so does every caller
  // the dump lists: on a regular file it stops after 257 records. Built by
  // g++ for x86-64, the partition SORT takes near the stack's guard needs no
  // stack of its own but the return address that SORT's call pushes, so
  // exhaustion always meets SORT itself. Elsewhere (32-bit Windows, clang,
  // the other processors) it may save registers on the stack, and be what
  // meets it.
  const testsupport::CodeMap symbols(SPLITTER_PATH);
  const std::string faulting = symbols.function_at(report.address);
  if (kPartitionsUseOnlyTheirReturnAddress) {
    EXPECT_EQ(faulting, "SORT");
  } else {
    EXPECT_TRUE(faulting == "SORT" || faulting.find("partition") != std::string::npos ||
                faulting.find("_window") != std::string::npos)
        << faulting;
  }
  ASSERT_EQ(report.callers.size(), 257u);
  for (uint64_t caller : report.callers)
    EXPECT_EQ(symbols.function_at(caller - 1), "SORT");
  EXPECT_EQ(dir.read("output.txt"), kPrevious);
}

INSTANTIATE_TEST_SUITE_P(SplitterDepth, SplitterExhaustion, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "SegvBlocked" : "NothingBlocked";
                         });

// Near the stack's guard SORT partitions by scan_partition, at the deepest
// level before the next SORT lays its frame. It may push no more than a
// frame record (return address and link), or at some placings of the stack
// it would be the one to run into the guard and the report would name it
// instead of SORT.
TEST(SplitterDepth, ThePartitionNearTheGuardUsesNoStackBeyondAFrameRecord) {
  if (!kPartitionsUseOnlyTheirReturnAddress) GTEST_SKIP() << "g++'s x86-64 register use only";
  int found = 0;
  for (const testsupport::Symbol& symbol : testsupport::symbols_of(SPLITTER_PATH)) {
    if (symbol.name.find("scan_partition") == std::string::npos || symbol.size == 0) continue;
    ++found;
    std::ostringstream command;
    command << std::hex << "objdump -d --no-show-raw-insn --start-address=0x" << symbol.address
            << " --stop-address=0x" << symbol.address + symbol.size << " '" << SPLITTER_PATH << "'";
    std::istringstream lines(testsupport::command_output(command.str()));
    int instructions = 0;
    for (std::string line; std::getline(lines, line);) {
      const size_t tab = line.find(":\t");
      if (tab == std::string::npos || line.find_first_not_of(' ') >= tab) continue;
      const std::string instruction = line.substr(tab + 2);
      ++instructions;
      const bool frame_record = instruction.starts_with("push   %rbp") ||
                                instruction.starts_with("mov    %rsp,%rbp") ||
                                instruction.starts_with("pop    %rbp");
      if (frame_record) continue;
      EXPECT_EQ(instruction.find("push"), std::string::npos) << symbol.name << ": " << line;
      EXPECT_EQ(instruction.find("call"), std::string::npos) << symbol.name << ": " << line;
      EXPECT_EQ(instruction.find("%rsp"), std::string::npos) << symbol.name << ": " << line;
      EXPECT_EQ(instruction.find("(%rbp)"), std::string::npos) << symbol.name << ": " << line;
    }
    EXPECT_GT(instructions, 20) << symbol.name;
  }
  EXPECT_EQ(found, 1);
}

}  // namespace
