// Checking a program's run-time error report: its exact form, and the routine
// each of its addresses lies in, found from the program's own symbols.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support.hpp"

namespace testsupport {

// The standard output of a shell command; throws when the command fails.
std::string command_output(const std::string& command);

// The name of a binary tool (nm, objdump, addr2line) for the programs' target.
std::string tool(const std::string& name);

struct Symbol {
  uint64_t address = 0;
  uint64_t size = 0;  // 0 when nm gives none
  char type = '?';
  std::string name;
};

// Every symbol of a program, in address order (nm -n -S).
std::vector<Symbol> symbols_of(const std::string& program);

// The functions of a program as address ranges.
class CodeMap {
 public:
  explicit CodeMap(const std::string& program);
  // The name of the function whose code holds address, or "" when none does.
  std::string function_at(uint64_t address) const;

 private:
  struct Range {
    uint64_t low, high;
    std::string name;
  };
  std::vector<Range> ranges_;  // sorted, disjoint
};

// objdump's text of the instruction that starts at address ("idiv   %ecx").
std::string instruction_at(const std::string& program, uint64_t address);

// The start-up code that calls a program's main routine.
inline const std::string kStartup = "_ZN2rt8platform21CALL_ON_PROGRAM_STACKEPFvvE";

struct Report {
  int number = -1;
  uint64_t address = 0;
  std::vector<uint64_t> callers;  // the dump's return addresses, innermost first
};

// Parses bytes as one whole report: "Runtime error N at 0x" and 8 upper-case
// hex digits, "  0x" and the same digits, one "  0x" line per caller, an empty
// line; CR LF after each and nothing else. The failure says what deviates.
testing::AssertionResult parse_report(const std::string& bytes, Report& report);

// The number of a well-formed report, or -1.
int report_number(const std::string& bytes);

// A run that ended with run-time error `number`: exit code and report agree,
// the report is well formed, and its addresses (each minus 1, being just past
// a call) lie in `chain`: the failing routine, then its callers out to the
// start-up code.
testing::AssertionResult FailedWith(const std::string& program, const RunResult& r, int number,
                                    const std::vector<std::string>& chain);

}  // namespace testsupport
