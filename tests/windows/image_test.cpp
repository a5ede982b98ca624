// The Windows programs as files: 32-bit console images at their fixed base,
// with the stack reserve of the program stack, importing KERNEL32.dll alone,
// and carrying the line information that resolves a report's addresses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report.hpp"

namespace {

struct Image {
  const char* path;
  const char* main_routine;
  const char* main_source;  // the file that defines the main routine
};

const Image IMAGES[] = {
    {PROBE_PATH, "PROBE", "tests/probe/probe.cpp"},
    {SPLITTER_PATH, "SPLITTER", "splitter/main.cpp"},
    {REFUSER_PATH, "REFUSER", "refuser/refuser.cpp"},
};

void PrintTo(const Image& image, std::ostream* os) {
  *os << image.main_routine;
}

class WindowsImage : public testing::TestWithParam<Image> {};

// The value objdump shows for one field of the image's headers.
std::string header_field(const std::string& headers, const std::string& field) {
  const size_t at = headers.find("\n" + field + "\t");
  if (at == std::string::npos) return "";
  const size_t value = headers.find_first_not_of('\t', at + field.size() + 1);
  return headers.substr(value, headers.find('\n', value) - value);
}

TEST_P(WindowsImage, IsAConsoleImageAtItsBaseImportingKernel32Alone) {
  const std::string headers =
      testsupport::command_output(testsupport::tool("objdump") + " -p '" + GetParam().path + "'");
  EXPECT_EQ(header_field(headers, "Magic"), "010b\t(PE32)");
  EXPECT_EQ(header_field(headers, "ImageBase"), "00400000");
  EXPECT_EQ(header_field(headers, "Subsystem"), "00000003\t(Windows CUI)");
  EXPECT_EQ(header_field(headers, "SizeOfStackReserve"), "00020000");
  std::vector<std::string> dlls;
  for (size_t at = 0; (at = headers.find("DLL Name: ", at)) != std::string::npos; ++at) {
    const size_t name = at + 10;
    dlls.push_back(headers.substr(name, headers.find('\n', name) - name));
  }
  EXPECT_EQ(dlls, std::vector<std::string>{"KERNEL32.dll"});
}

TEST_P(WindowsImage, ResolvesItsMainRoutineToItsSourceLine) {
  uint64_t address = 0;
  for (const testsupport::Symbol& s : testsupport::symbols_of(GetParam().path)) {
    if (s.name == GetParam().main_routine) address = s.address;
  }
  ASSERT_NE(address, 0u);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(address));
  const std::string resolved = testsupport::command_output(
      testsupport::tool("addr2line") + " -f -e '" + GetParam().path + "' " + hex);
  EXPECT_EQ(resolved.substr(0, resolved.find('\n')), GetParam().main_routine);
  EXPECT_NE(resolved.find(GetParam().main_source), std::string::npos) << resolved;
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowsImage, testing::ValuesIn(IMAGES),
                         [](const testing::TestParamInfo<Image>& info) {
                           return std::string(info.param.main_routine);
                         });

}  // namespace
