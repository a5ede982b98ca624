// Checking a program's run-time error report: its exact form, and the routine
// each address lies in, found from the program's own symbols (`nm -n`).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support.hpp"

namespace testsupport {

// The start-up code that calls a program's main routine.
inline const std::string kStartup = "_ZN2rt8platform21CALL_ON_PROGRAM_STACKEPFvvE";

// The code symbols of a program by start address.
class SymbolMap {
 public:
  explicit SymbolMap(const std::string& program) {
    const std::string command = "nm -n '" + program + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return;
    char line[1024];
    while (fgets(line, sizeof line, pipe.get()) != nullptr) {
      std::istringstream fields(line);
      std::string address, type, name;
      if (!(fields >> address >> type >> name) || type.size() != 1) continue;
      if (std::string("TtWw").find(type[0]) == std::string::npos) continue;
      starts_.emplace(std::stoull(address, nullptr, 16), name);
    }
  }

  // The symbol whose code holds addr: the last one starting at or below it.
  std::string function_at(uint64_t addr) const {
    auto next = starts_.upper_bound(addr);
    return next == starts_.begin() ? "?" : std::prev(next)->second;
  }

 private:
  std::map<uint64_t, std::string> starts_;
};

// A report taken apart: the error number, the error address, and one return
// address per active routine, innermost first. Empty number: malformed.
struct Report {
  int number = -1;
  uint64_t error_addr = 0;
  std::vector<uint64_t> callers;
};

inline Report parse_report(const std::string& text) {
  Report report;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size() || lines.size() < 3 || !lines.back().empty()) return report;
  const auto hex8 = [](const std::string& s, size_t at, uint64_t& value) {
    if (s.size() != at + 8) return false;
    for (size_t i = at; i < s.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(s[i])) && (s[i] < 'A' || s[i] > 'F')) {
        return false;
      }
    }
    value = std::stoull(s.substr(at), nullptr, 16);
    return true;
  };
  const std::string& head = lines[0];
  const std::string prefix = "Runtime error ";
  const size_t at = head.find(" at 0x");
  if (head.rfind(prefix, 0) != 0 || at == std::string::npos) return report;
  const std::string digits = head.substr(prefix.size(), at - prefix.size());
  if (digits.empty() || digits.size() > 5 || (digits[0] == '0' && digits.size() > 1) ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return report;
  }
  uint64_t addr = 0;
  if (!hex8(head, at + 6, addr) || lines[1] != "  0x" + head.substr(at + 6)) return report;
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    uint64_t caller = 0;
    if (lines[i].rfind("  0x", 0) != 0 || !hex8(lines[i], 4, caller)) return report;
    report.callers.push_back(caller);
  }
  report.error_addr = addr;
  report.number = std::stoi(digits);
  return report;
}

// A run that ended with run-time error `number`: exit code and report agree,
// the report is well formed, and its addresses (each minus 1, being just past
// a call) lie in `chain`: the failing routine, then its callers out to the
// start-up code.
inline testing::AssertionResult FailedWith(const std::string& program, const RunResult& r,
                                           int number, const std::vector<std::string>& chain) {
  if (!r.exited || r.exit_code != number) {
    return testing::AssertionFailure() << describe(r) << ", expected exit " << number;
  }
  const Report report = parse_report(r.stdout_bytes);
  if (report.number != number) {
    return testing::AssertionFailure() << "bad report for " << number << ": " << r.stdout_bytes;
  }
  const SymbolMap symbols(program);
  std::vector<std::string> found{symbols.function_at(report.error_addr - 1)};
  for (uint64_t caller : report.callers)
    found.push_back(symbols.function_at(caller - 1));
  if (found != chain) {
    std::string names;
    for (const std::string& name : found)
      names += " " + name;
    return testing::AssertionFailure() << "report located in" << names;
  }
  return testing::AssertionSuccess();
}

}  // namespace testsupport
