// Run-time error reports of the probe, checked whole: the form of every line,
// and every address placed in the function that nm names for it.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "report.hpp"
#include "support.hpp"

namespace {

using testsupport::CodeMap;
using testsupport::RunResult;
using testsupport::StdoutKind;

const char* const START = "_ZN2rt8platform21CALL_ON_PROGRAM_STACKEPFvvE";

RunResult run_scenario(const std::string& scenario, StdoutKind kind = StdoutKind::File,
                       void (*in_child)() = nullptr) {
  testsupport::TempDir dir;
  dir.write("scenario.txt", scenario + "\n");
  return testsupport::run(PROBE_PATH, dir.path(), kind, in_child);
}

const CodeMap& probe_code() {
  static const CodeMap code(PROBE_PATH);
  return code;
}

// How a report's first address relates to the failure: a check reports the
// return address of its call, a fault the faulting instruction itself.
enum class Site { AfterCall, Instruction };

struct ReportCase {
  const char* scenario;
  int error;
  Site site;
  // Part of the instruction at the site: the call (5 bytes long) just before
  // the address, or the faulting instruction; nullptr: any.
  const char* instruction;
  // The failing routine, then each active caller out to the start-up code.
  std::vector<std::string> chain;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
  *os << c.scenario;
}

// leaf called twelve routines deep from PROBE.
std::vector<std::string> deep_chain(const std::string& leaf) {
  std::vector<std::string> chain{leaf};
  chain.insert(chain.end(), 12, "PROBE_DEEP");
  chain.insert(chain.end(), {"PROBE", START});
  return chain;
}

// The instruction a floating-point fault is reported at. With SSE arithmetic
// it is the division itself. The x87 unit of the 32-bit Windows build raises
// a pending exception at the next floating-point instruction, here the store
// of the result, and the context's instruction pointer, which the report
// names, points there (the exception record's address would name the
// division).
const char* const FLOAT_FAULT_AT = testsupport::kUnderWine ? "fstp" : "divsd";

const ReportCase REPORT_CASES[] = {
    {"overflow", 215, Site::AfterCall, "call", {"PROBE_OVERFLOW", "PROBE", START}},
    {"range_past", 201, Site::AfterCall, "call", {"PROBE_RANGE_PAST", "PROBE", START}},
    {"range_below", 201, Site::AfterCall, "call", {"PROBE_RANGE_BELOW", "PROBE", START}},
    {"io", 2, Site::AfterCall, "call", {"PROBE_IO", "PROBE", START}},
    {"deep", 215, Site::AfterCall, "call", deep_chain("PROBE_OVERFLOW")},
    {"access", 216, Site::Instruction, "mov", {"PROBE_ACCESS", "PROBE", START}},
    {"divide", 200, Site::Instruction, "idiv", {"PROBE_DIVIDE", "PROBE", START}},
    {"float_divide",
     200,
     Site::Instruction,
     FLOAT_FAULT_AT,
     {"PROBE_FLOAT_DIVIDE", "PROBE", START}},
    {"float_invalid",
     207,
     Site::Instruction,
     FLOAT_FAULT_AT,
     {"PROBE_FLOAT_INVALID", "PROBE", START}},
    {"illegal", 217, Site::Instruction, "ud2", {"PROBE_ILLEGAL", "PROBE", START}},
    {"deep_access", 216, Site::Instruction, "mov", deep_chain("PROBE_ACCESS")},
    // The recursion is thousands of levels deep, far beyond any dump limit.
    {"recursion", 202, Site::Instruction, nullptr, std::vector<std::string>(1000, "PROBE_RECURSE")},
};

class Failure : public testing::TestWithParam<std::tuple<ReportCase, StdoutKind>> {};

// The whole report: its form, its number, where it places the failure, and
// one line per caller up to the dump's limit: nine records on a terminal,
// 257 on a file or a pipe.
TEST_P(Failure, NamesTheFailingRoutineAndEveryCaller) {
  const auto& [c, kind] = GetParam();
  if (testsupport::kUnderWine && std::string(c.scenario).starts_with("float_") &&
      !testsupport::emulation_preload().empty()) {
    GTEST_SKIP() << "qemu-user, which runs 32-bit programs here, raises no x87 exception";
  }
  const RunResult r = run_scenario(c.scenario, kind);
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, c.error);
  testsupport::Report report;
  ASSERT_TRUE(parse_report(r.stdout_bytes, report)) << r.stdout_bytes;
  EXPECT_EQ(report.number, c.error);

  const uint32_t site = c.site == Site::AfterCall ? report.address - 1 : report.address;
  EXPECT_EQ(probe_code().function_at(site), c.chain[0]);
  if (c.instruction != nullptr) {
    const uint32_t start = c.site == Site::AfterCall ? report.address - 5 : report.address;
    const std::string instruction = testsupport::instruction_at(PROBE_PATH, start);
    EXPECT_NE(instruction.find(c.instruction), std::string::npos) << instruction;
  }

  const size_t limit = kind == StdoutKind::Terminal ? 9 : 257;
  const size_t shown = std::min(limit, c.chain.size() - 1);
  const std::vector<std::string> expected(c.chain.begin() + 1, c.chain.begin() + 1 + shown);
  std::vector<std::string> callers;
  for (const uint32_t address : report.callers) {
    callers.push_back(probe_code().function_at(address - 1));
  }
  EXPECT_EQ(callers, expected);
}

std::string case_name(const testing::TestParamInfo<Failure::ParamType>& info) {
  return std::string(std::get<0>(info.param).scenario) + "_" +
         testsupport::name_of(std::get<1>(info.param));
}

// Each report on a regular file, a pipe and a terminal; under Wine, whose
// console rewrites what reaches a terminal, on the first two.
std::vector<StdoutKind> stdout_kinds() {
  if (testsupport::kUnderWine) return {StdoutKind::File, StdoutKind::Pipe};
  return {StdoutKind::File, StdoutKind::Pipe, StdoutKind::Terminal};
}

INSTANTIATE_TEST_SUITE_P(Report, Failure,
                         testing::Combine(testing::ValuesIn(REPORT_CASES),
                                          testing::ValuesIn(stdout_kinds())),
                         case_name);

// A normal end, and range checks at both bounds, which pass.
TEST(Report, QuietRunsEndWithZeroAndPrintNothing) {
  for (const char* scenario : {"normal", "range_bounds"}) {
    const RunResult r = run_scenario(scenario);
    ASSERT_TRUE(r.exited) << scenario << ": " << testsupport::describe(r);
    EXPECT_EQ(r.exit_code, 0) << scenario;
    EXPECT_EQ(r.stdout_bytes, "") << scenario;
  }
}

// A run that the system ended in its own way: on Linux by the signal's
// default action; under Wine, whose own handling of an unhandled exception
// ends the process with a status of its own, not with a report's number.
testing::AssertionResult EndedBySystem(const RunResult& r, int signal, int report_number) {
  if (testsupport::kUnderWine ? r.exited && r.exit_code != 0 && r.exit_code != report_number
                              : !r.exited && r.signal == signal) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << testsupport::describe(r);
}

// A breakpoint is not in the fault table: the system's own handling ends the
// process, without a report.
TEST(Report, BreakpointIsLeftToTheSystem) {
  const RunResult r = run_scenario("breakpoint");
  EXPECT_TRUE(EndedBySystem(r, SIGTRAP, 0));
  EXPECT_EQ(r.stdout_bytes, "");
}

// A fault while the report is written starts the exit sequence again with the
// fault's number: the first report stops after its first line, and a whole
// report of the fault follows, located in the faulting formatter.
TEST(Report, AFaultInTheReportStartsItAgain) {
  const RunResult r = run_scenario("report_fault_once");
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 216);
  const size_t second = r.stdout_bytes.find("\r\n") + 2;
  ASSERT_EQ(r.stdout_bytes.rfind("Runtime error 215 at 0x", 0), 0u) << r.stdout_bytes;
  testsupport::Report report;
  ASSERT_TRUE(testsupport::parse_report(r.stdout_bytes.substr(second), report)) << r.stdout_bytes;
  EXPECT_EQ(report.number, 216);
  EXPECT_EQ(probe_code().function_at(report.address), "PROBE_FAULTING_LINE");
  ASSERT_FALSE(report.callers.empty());
  EXPECT_EQ(probe_code().function_at(report.callers.back() - 1), START);
}

// A report that faults every time is started again at most 16 times; the
// fault after that gets the system's default action.
TEST(Report, AReportThatKeepsFaultingEndsAfterSixteenRestarts) {
  const RunResult r = run_scenario("report_fault_always");
  EXPECT_TRUE(EndedBySystem(r, SIGSEGV, 216));
  size_t first_lines = 0;
  for (size_t at = 0; (at = r.stdout_bytes.find("Runtime error ", at)) != std::string::npos; ++at) {
    ++first_lines;
  }
  EXPECT_EQ(first_lines, 17u) << r.stdout_bytes;
}

// A parent may start the program with fault signals blocked; the kernel
// would then end it by the default action at the first fault. Each fault
// still ends with its own number and the same report as when nothing is
// blocked.
TEST(Report, FaultSignalsBlockedByTheParentAreReportedAllTheSame) {
  if (testsupport::kUnderWine) GTEST_SKIP() << "signal masks are the Linux build's concern";
  const auto block_faults = [] {
    sigset_t faults;
    sigemptyset(&faults);
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP})
      sigaddset(&faults, signal);
    sigprocmask(SIG_BLOCK, &faults, nullptr);
  };
  const struct {
    const char* scenario;
    int error;
  } cases[] = {{"recursion", 202}, {"access", 216}, {"divide", 200}, {"illegal", 217}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    const RunResult unblocked = run_scenario(c.scenario);
    const RunResult blocked = run_scenario(c.scenario, StdoutKind::File, block_faults);
    ASSERT_TRUE(blocked.exited) << testsupport::describe(blocked);
    EXPECT_EQ(blocked.exit_code, c.error);
    EXPECT_EQ(testsupport::report_number(blocked.stdout_bytes), c.error);
    EXPECT_EQ(blocked.stdout_bytes, unblocked.stdout_bytes);
  }
}

TEST(Report, PipeGetsTheSameBytesAsAFile) {
  for (const char* scenario : {"deep", "recursion"}) {
    const RunResult file = run_scenario(scenario, StdoutKind::File);
    const RunResult pipe = run_scenario(scenario, StdoutKind::Pipe);
    EXPECT_FALSE(file.stdout_bytes.empty()) << scenario;
    EXPECT_EQ(pipe.stdout_bytes, file.stdout_bytes) << scenario;
  }
}

}  // namespace
