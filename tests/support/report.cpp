// Symbols through nm, function ranges, and the report's fixed form.
#include "report.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace testsupport {

std::string command_output(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run: " + command);
  std::string output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
    output.append(chunk, n);
  if (pclose(pipe) != 0) throw std::runtime_error("failed: " + command);
  return output;
}

std::string tool(const std::string& name) {
#ifdef HALVES_TOOL_PREFIX
  return HALVES_TOOL_PREFIX + name;
#else
  return name;
#endif
}

std::vector<Symbol> symbols_of(const std::string& program) {
  std::vector<Symbol> symbols;
  std::istringstream lines(command_output(tool("nm") + " -n -S '" + program + "'"));
  std::string line;
  while (std::getline(lines, line)) {
    // "address [size] type name"; undefined symbols have no address.
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string field; fields >> field;)
      f.push_back(field);
    if (f.size() < 2) continue;
    Symbol s;
    s.name = f.back();
    // A 32-bit Windows image decorates every C name with a leading underscore.
    if (kUnderWine && s.name.size() > 1 && s.name[0] == '_') s.name.erase(0, 1);
    s.type = f[f.size() - 2][0];
    if (f.size() >= 3) s.address = std::stoull(f[0], nullptr, 16);
    if (f.size() == 4) s.size = std::stoull(f[1], nullptr, 16);
    symbols.push_back(s);
  }
  return symbols;
}

CodeMap::CodeMap(const std::string& program) {
  std::vector<Symbol> code;
  for (const Symbol& s : symbols_of(program)) {
    // Section symbols (".text$NAME" in a Windows image) name no function, nor
    // do arm64's mapping symbols ($x, $d), which a host's nm lists.
    if (std::string("TtWw").find(s.type) != std::string::npos && s.name[0] != '.' &&
        s.name[0] != '$') {
      code.push_back(s);
    }
  }
  for (size_t i = 0; i < code.size(); ++i) {
    if (!ranges_.empty() && ranges_.back().low == code[i].address) continue;  // an alias
    const uint64_t next = i + 1 < code.size() ? code[i + 1].address : UINT64_MAX;
    // A function ends where nm's size says; one without a size, at the next.
    const uint64_t high = code[i].size != 0 ? std::min(code[i].address + code[i].size, next) : next;
    ranges_.push_back({code[i].address, high, code[i].name});
  }
  if (ranges_.empty()) throw std::runtime_error("no functions in " + program);
}

std::string CodeMap::function_at(uint64_t address) const {
  auto after = std::upper_bound(ranges_.begin(), ranges_.end(), address,
                                [](uint64_t a, const Range& r) { return a < r.low; });
  if (after == ranges_.begin()) return "";
  const Range& r = *std::prev(after);
  return address < r.high ? r.name : "";
}

std::string instruction_at(const std::string& program, uint64_t address) {
  std::ostringstream command;
  command << std::hex << tool("objdump") << " -d --no-show-raw-insn --start-address=0x" << address
          << " --stop-address=0x" << address + 16 << " '" << program << "'";
  // The first line of the form "  401150:\tinstruction".
  std::istringstream lines(command_output(command.str()));
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(":\t");
    if (colon == std::string::npos || line.find_first_not_of(' ') >= colon) continue;
    const std::string at =
        line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '));
    if (at.find_first_not_of("0123456789abcdef") != std::string::npos) continue;
    return std::stoull(at, nullptr, 16) == address ? line.substr(colon + 2) : "";
  }
  return "";
}

testing::AssertionResult parse_report(const std::string& bytes, Report& report) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      return testing::AssertionFailure() << "a line without CR LF at byte " << start;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  if (lines.size() < 3 || !lines.back().empty()) {
    return testing::AssertionFailure() << "no address line, or no closing empty line";
  }
  // "  0x" and 8 upper-case hex digits at text[at...]; the digits' value.
  const auto hex8 = [](const std::string& text, size_t at, uint64_t& value) {
    if (text.size() != at + 8 ||
        text.find_first_not_of("0123456789ABCDEF", at) != std::string::npos) {
      return false;
    }
    value = std::stoull(text.substr(at), nullptr, 16);
    return true;
  };
  const std::string prefix = "Runtime error ";
  const size_t at = lines[0].find(" at 0x");
  const std::string digits =
      at == std::string::npos ? "" : lines[0].substr(prefix.size(), at - prefix.size());
  if (lines[0].rfind(prefix, 0) != 0 || digits.empty() || digits.size() > 5 || digits[0] == '0' ||
      digits.find_first_not_of("0123456789") != std::string::npos ||
      !hex8(lines[0], at + 6, report.address)) {
    return testing::AssertionFailure() << "first line: " << lines[0];
  }
  report.number = std::stoi(digits);
  if (lines[1] != "  0x" + lines[0].substr(at + 6)) {
    return testing::AssertionFailure() << "second line: " << lines[1];
  }
  report.callers.clear();
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    uint64_t caller = 0;
    if (lines[i].rfind("  0x", 0) != 0 || !hex8(lines[i], 4, caller)) {
      return testing::AssertionFailure() << "line " << i + 1 << ": " << lines[i];
    }
    report.callers.push_back(caller);
  }
  return testing::AssertionSuccess();
}

int report_number(const std::string& bytes) {
  Report report;
  return parse_report(bytes, report) ? report.number : -1;
}

testing::AssertionResult FailedWith(const std::string& program, const RunResult& r, int number,
                                    const std::vector<std::string>& chain) {
  if (!r.exited || r.exit_code != number) {
    return testing::AssertionFailure() << describe(r) << ", expected exit " << number;
  }
  Report report;
  if (testing::AssertionResult parsed = parse_report(r.stdout_bytes, report); !parsed) {
    return parsed << " in " << r.stdout_bytes;
  }
  if (report.number != number) {
    return testing::AssertionFailure() << "report of " << report.number << ", expected " << number;
  }
  const CodeMap code(program);
  std::vector<std::string> found{code.function_at(report.address - 1)};
  for (uint64_t caller : report.callers)
    found.push_back(code.function_at(caller - 1));
  if (found != chain) {
    std::string names;
    for (const std::string& name : found)
      names += " " + name;
    return testing::AssertionFailure() << "report located in" << names;
  }
  return testing::AssertionSuccess();
}

}  // namespace testsupport
