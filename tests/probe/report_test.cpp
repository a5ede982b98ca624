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

using testsupport::kTarget;
using testsupport::Target;

// Part of the text of the instruction at a report's site, as objdump shows
// it on each target; nullptr: any.
struct Instruction {
  const char* x86 = nullptr;  // 64-bit, and 32-bit unless windows says otherwise
  const char* windows = nullptr;
  const char* arm64 = nullptr;
  const char* riscv64 = nullptr;
  const char* here() const {
    switch (kTarget) {
      case Target::LinuxX86_64:
        return x86;
      case Target::Windows:
        return windows != nullptr ? windows : x86;
      case Target::LinuxArm64:
        return arm64;
      case Target::LinuxRiscv64:
        return riscv64;
    }
    return nullptr;
  }
};

// The call whose return address a check reports, and its length.
const Instruction CALL{.x86 = "call", .arm64 = "bl", .riscv64 = "jal"};
const uint32_t CALL_LENGTH = kTarget == Target::LinuxX86_64 || testsupport::kUnderWine ? 5 : 4;

struct ReportCase {
  const char* scenario;
  int error;
  Site site;
  // The faulting instruction; a check's site is a call.
  Instruction instruction;
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

// The failing routine, called by PROBE.
std::vector<std::string> chain(const std::string& routine) {
  return {routine, "PROBE", START};
}

// Where a floating-point fault is reported. With SSE arithmetic it is the
// operation itself. The x87 unit of the 32-bit Windows build raises a pending
// exception at the next floating-point instruction, and the context's
// instruction pointer, which the report names, points there (the exception
// record's address would name the operation): after a division the store of
// its result; after a product, whose overflow comes with that store, the
// load that follows.
const Instruction FLOAT_DIVISION{.x86 = "divsd", .windows = "fstp"};
const Instruction FLOAT_PRODUCT{.x86 = "mulsd", .windows = "fld"};
const Instruction STORE{.x86 = "mov", .arm64 = "str", .riscv64 = "sw"};
const Instruction LOAD{.x86 = "mov", .arm64 = "ldr", .riscv64 = "lw"};
const Instruction LOAD_BYTE{.x86 = "mov", .arm64 = "ldrb", .riscv64 = "lb"};
const Instruction ILLEGAL{.x86 = "ud2", .arm64 = "udf", .riscv64 = "unimp"};
// arm64 and riscv64 refuse the kernel's registers as illegal instructions.
const Instruction PRIVILEGED{.x86 = "hlt", .arm64 = "mrs", .riscv64 = "csrr"};

// Every fault of the table that the target's processor can raise. Four
// cannot arise in a 64-bit x86 program: the denormal operand and underflow
// exceptions, which FPUCW masks, and the integer-overflow and array-bounds
// traps, whose instructions (into, bound) 64-bit mode does not have. The
// Windows programs also raise every code of the table without a fault (see
// RaisedExceptionsEndWithTheNumbersOfTheFaultTable).
const ReportCase REPORT_CASES[] = {
    {"overflow", 215, Site::AfterCall, CALL, chain("PROBE_OVERFLOW")},
    {"range_past", 201, Site::AfterCall, CALL, chain("PROBE_RANGE_PAST")},
    {"range_below", 201, Site::AfterCall, CALL, chain("PROBE_RANGE_BELOW")},
    {"io", 2, Site::AfterCall, CALL, chain("PROBE_IO")},
    {"deep", 215, Site::AfterCall, CALL, deep_chain("PROBE_OVERFLOW")},
    {"access", 216, Site::Instruction, STORE, chain("PROBE_ACCESS")},
    // A non-canonical address on x86-64, one outside the address space on
    // the others; on 32-bit Windows the top half of the address space, the
    // system's.
    {"noncanonical", 216, Site::Instruction, LOAD, chain("PROBE_NONCANONICAL")},
    {"bus_error", 217, Site::Instruction, LOAD_BYTE, chain("PROBE_BUS_ERROR")},
    {"divide", 200, Site::Instruction, {.x86 = "idiv"}, chain("PROBE_DIVIDE")},
    {"float_divide", 200, Site::Instruction, FLOAT_DIVISION, chain("PROBE_FLOAT_DIVIDE")},
    {"float_invalid", 207, Site::Instruction, FLOAT_DIVISION, chain("PROBE_FLOAT_INVALID")},
    {"float_overflow", 205, Site::Instruction, FLOAT_PRODUCT, chain("PROBE_FLOAT_OVERFLOW")},
    {"x87_stack", 207, Site::Instruction, {.x86 = "fwait"}, chain("PROBE_X87_STACK")},
    {"illegal", 217, Site::Instruction, ILLEGAL, chain("PROBE_ILLEGAL")},
    {"privileged", 217, Site::Instruction, PRIVILEGED, chain("PROBE_PRIVILEGED")},
    // The trap comes once the instruction after the one that set the flag
    // has run: the report names the next one.
    {"single_step", 217, Site::Instruction, {.x86 = "nop"}, chain("PROBE_SINGLE_STEP")},
    {"deep_access", 216, Site::Instruction, STORE, deep_chain("PROBE_ACCESS")},
    {"main_access", 216, Site::Instruction, STORE, {"PROBE", START}},
    // A system instruction that programs may run, faulting by its operand.
    {"system_access", 216, Site::Instruction, {.x86 = "verw"}, chain("PROBE_SYSTEM_ACCESS")},
    // The recursion is thousands of levels deep, far beyond any dump limit.
    {"recursion", 202, Site::Instruction, {}, std::vector<std::string>(1000, "PROBE_RECURSE")},
};

// Why the programs under test cannot raise a scenario's fault here, or
// nullptr where they can.
const char* cannot_raise(const std::string& scenario) {
  const bool x87 = scenario.starts_with("float_") || scenario == "x87_stack";
  switch (kTarget) {
    case Target::LinuxX86_64:
      return nullptr;
    case Target::Windows:
      if (scenario == "bus_error") {
        return "a Windows program cannot shorten a file under its own mapping, and Wine "
               "reports a read past a file shortened from outside as an access violation";
      }
      if (x87 && !testsupport::emulation_preload().empty()) {
        return "qemu-user, which runs 32-bit programs here, raises no x87 exception";
      }
      return nullptr;
    case Target::LinuxArm64:
    case Target::LinuxRiscv64:
      break;
  }
  const bool arm64 = kTarget == Target::LinuxArm64;
  if (scenario == "divide") {
    return arm64 ? "arm64 traps no integer division: a division by zero gives 0"
                 : "riscv64 traps no integer division: a division by zero gives -1";
  }
  if (scenario == "x87_stack") return "only x86 has the x87 unit";
  if (scenario == "system_access") return "only x86 has the system instruction groups";
  if (x87) {
    return arm64 ? "arm64's floating-point traps are optional, and qemu-user raises none"
                 : "riscv64 has no floating-point traps";
  }
  if (scenario == "single_step") return "only a debugger can single-step a program here";
  return nullptr;
}

class Failure : public testing::TestWithParam<std::tuple<ReportCase, StdoutKind>> {};

// The whole report: its form, its number, where it places the failure, and
// one line per caller up to the dump's limit: nine records on a terminal,
// 257 on a file or a pipe.
TEST_P(Failure, NamesTheFailingRoutineAndEveryCaller) {
  const auto& [c, kind] = GetParam();
  if (const char* reason = cannot_raise(c.scenario)) GTEST_SKIP() << reason;
  const RunResult r = run_scenario(c.scenario, kind);
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, c.error);
  testsupport::Report report;
  ASSERT_TRUE(parse_report(r.stdout_bytes, report)) << r.stdout_bytes;
  EXPECT_EQ(report.number, c.error);

  const uint32_t site = c.site == Site::AfterCall ? report.address - 1 : report.address;
  EXPECT_EQ(probe_code().function_at(site), c.chain[0]);
  if (const char* expected = c.instruction.here()) {
    const uint32_t start =
        c.site == Site::AfterCall ? report.address - CALL_LENGTH : report.address;
    const std::string instruction = testsupport::instruction_at(PROBE_PATH, start);
    EXPECT_NE(instruction.find(expected), std::string::npos) << instruction;
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

#ifdef HALVES_WINEPREFIX
// Every exception code of the fault table, raised by the system's dispatch
// with no fault of the processor, ends with its number; the floating-point
// codes, and only they, reset the unit before the report, which shows the
// unit's control word in place of each address. A breakpoint is not in the
// table and gets no report.
TEST(Report, RaisedExceptionsEndWithTheNumbersOfTheFaultTable) {
  const struct {
    const char* code;
    int error;
    bool reset;
  } cases[] = {
      {"80000004", 217, false}, {"C0000005", 216, false}, {"C0000006", 217, false},
      {"C000001D", 217, false}, {"C000008C", 201, false}, {"C000008D", 216, true},
      {"C000008E", 200, true},  {"C0000090", 207, true},  {"C0000091", 205, true},
      {"C0000092", 207, true},  {"C0000093", 206, true},  {"C0000094", 200, false},
      {"C0000095", 215, false}, {"C0000096", 217, false}, {"C00000FD", 202, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const RunResult r = run_scenario(std::string("raise\n$") + c.code);
    ASSERT_TRUE(r.exited) << testsupport::describe(r);
    EXPECT_EQ(r.exit_code, c.error);
    const std::string first = "Runtime error " + std::to_string(c.error) + " at 0x";
    EXPECT_EQ(r.stdout_bytes.rfind(first, 0), 0u) << r.stdout_bytes;
    const std::string control_word = c.reset ? "1332" : "033F";
    EXPECT_EQ(r.stdout_bytes.substr(first.size() + 10, 14), "  0x0000" + control_word + "\r\n")
        << r.stdout_bytes;
  }
  const RunResult breakpoint = run_scenario("raise\n$80000003");
  EXPECT_TRUE(EndedBySystem(breakpoint, 0, 0));
  EXPECT_EQ(breakpoint.stdout_bytes, "");
}
#endif

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
    if (cannot_raise(c.scenario) != nullptr) continue;
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
