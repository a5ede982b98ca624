// tools/resolve-report on real reports: each address line is followed by the
// routine and source line it lies in, the routine itself last, after the
// routines inlined into it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "report.hpp"
#include "support.hpp"

namespace {

// The 1-based number of the line of file that holds text.
int line_of(const std::string& file, const std::string& text) {
  std::ifstream in(std::string(SOURCE_DIR) + "/" + file);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find(text) != std::string::npos) return number;
  }
  return 0;
}

// What one address must resolve to: the routine, and where in the sources.
struct Place {
  std::string routine;
  std::string file;
  int line;  // 0: any
};

struct Case {
  const char* what;
  const char* program;
  std::string scenario;  // the probe's; for the others, their input.txt
  int number;
  std::vector<Place> places;  // one per address line, the failure first
};

// The resolver's output, as the lines that follow each address line.
std::vector<std::vector<std::string>> resolved(const std::string& program,
                                               const std::string& report) {
  testsupport::TempDir dir;
  dir.write("report.txt", report);
  std::istringstream lines(testsupport::command_output(
      std::string(RESOLVE_REPORT) + " '" + program + "' < '" + dir.file("report.txt") + "'"));
  std::vector<std::vector<std::string>> places;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  0x", 0) == 0) {
      places.emplace_back();
    } else if (line.rfind("    ", 0) == 0 && !places.empty()) {
      places.back().push_back(line.substr(4));
    }
  }
  return places;
}

TEST(ResolveReport, NamesTheRoutineAndLineOfEveryAddress) {
  using testsupport::Target;
  const char* processor = testsupport::kTarget == Target::LinuxArm64     ? "aarch64"
                          : testsupport::kTarget == Target::LinuxRiscv64 ? "riscv64"
                                                                         : "x86";
  const Place start{"rt::platform::CALL_ON_PROGRAM_STACK(void (*)())",
                    std::string("runtime/src/") + processor + "/stack_switch.cpp", 0};
  const Case cases[] = {
      {"a missing input, checked in INIT",
       SPLITTER_PATH,
       "",
       2,
       {{"INIT", "splitter/input.cpp", line_of("splitter/input.cpp", "RESET(F);") + 1},
        {"SPLITTER", "splitter/main.cpp", line_of("splitter/main.cpp", "INIT();")},
        start}},
      {"a length out of range, checked inline in INPUTDATA",
       REFUSER_PATH,
       "70000\n1\n",
       201,
       {{"INPUTDATA", "refuser/refuser.cpp", line_of("refuser/refuser.cpp", "L = read_word(F);")},
        {"REFUSER", "refuser/refuser.cpp", line_of("refuser/refuser.cpp", "INPUTDATA();")},
        start}},
      // The byte before the faulting instruction belongs to the line before.
      {"a fault, at its own instruction",
       PROBE_PATH,
       "access",
       216,
       {{"PROBE_ACCESS", "tests/probe/probe.cpp",
         line_of("tests/probe/probe.cpp", "*nowhere = value;")},
        {"PROBE", "tests/probe/probe.cpp",
         line_of("tests/probe/probe.cpp", "equals(scenario, \"access\")")},
        start}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir dir;
    if (!c.scenario.empty()) {
      const bool probe = c.program == std::string(PROBE_PATH);
      dir.write(probe ? "scenario.txt" : "input.txt", c.scenario + (probe ? "\n" : ""));
    }
    const testsupport::RunResult r = testsupport::run(c.program, dir.path());
    ASSERT_EQ(testsupport::report_number(r.stdout_bytes), c.number) << r.stdout_bytes;
    const auto places = resolved(c.program, r.stdout_bytes);
    ASSERT_EQ(places.size(), c.places.size());
    for (size_t i = 0; i < places.size(); ++i) {
      const Place& expected = c.places[i];
      ASSERT_FALSE(places[i].empty()) << "address line " << i;
      const std::string& routine = places[i].back();
      const std::string prefix = places[i].size() > 1 ? "(inlined by) " : "";
      EXPECT_EQ(routine.rfind(prefix + expected.routine + " at ", 0), 0u) << routine;
      const std::string where =
          expected.file + ":" + (expected.line != 0 ? std::to_string(expected.line) : "");
      EXPECT_NE(routine.find(where), std::string::npos) << routine << " is not at " << where;
    }
  }
}

}  // namespace
