// The shipped programs as files: static, position-dependent executables that
// load nothing at run time and carry no symbol of a C or C++ library.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "report.hpp"

namespace {

struct Shipped {
  const char* path;
  const char* main_routine;
};

const Shipped SHIPPED[] = {
    {PROBE_PATH, "PROBE"},
    {SPLITTER_PATH, "SPLITTER"},
    {REFUSER_PATH, "REFUSER"},
};

// A symbol is the project's own when it is one of:
//  - the runtime's namespace rt, or a local static of one of its routines;
//  - the splitter's sort primitives, namespace window;
//  - a file-local name of our sources (anonymous namespace);
//  - an upper-case C name: the programs' routines and globals;
//  - one of the runtime's few lower-case C names: the process entry, the
//    signal restorer, and the memcpy and memset that the compiler calls;
//  - a switch table that the compiler made (CSWTCH.n);
//  - a section bound that the linker defines.
// A C library brings lower-case C names (printf, malloc, __libc_start_main),
// a C++ library std:: names; neither fits.
bool is_ours(const std::string& name) {
  static const std::regex OURS(
      "_ZZ?N2rt.*|_ZN6window.*|_ZN12_GLOBAL__N_1.*|[A-Z][A-Z0-9_]*|CSWTCH\\.[0-9]+|"
      "_start|rt_process_entry|restore_rt|memcpy|memset|"
      "__bss_start|_edata|_end|__?etext|__executable_start|__ehdr_start|_GLOBAL_OFFSET_TABLE_|"
      "__bss_start__|_?_bss_end__|__end__|__DATA_BEGIN__|__SDATA_BEGIN__|__BSS_END__|"
      "__global_pointer\\$|"
      "__GNU_EH_FRAME_HDR|"
      "__(preinit|init|fini)_array_(start|end)|__rela_iplt_(start|end)");
  return std::regex_match(name, OURS);
}

void PrintTo(const Shipped& shipped, std::ostream* os) {
  *os << shipped.main_routine;
}

class Executable : public testing::TestWithParam<Shipped> {};

TEST_P(Executable, IsStaticAndPositionDependent) {
  const std::string headers =
      testsupport::command_output(std::string("readelf -hlW '") + GetParam().path + "'");
  EXPECT_TRUE(std::regex_search(headers, std::regex("Type:\\s+EXEC ")));
  // No interpreter and no dynamic section: nothing for a loader to load.
  EXPECT_EQ(headers.find("INTERP"), std::string::npos);
  EXPECT_EQ(headers.find("DYNAMIC"), std::string::npos);
}

TEST_P(Executable, HasOnlyOurOwnSymbols) {
  std::vector<std::string> names, strangers;
  for (const auto& s : testsupport::symbols_of(GetParam().path)) {
    names.push_back(s.name);
    if (!is_ours(s.name)) strangers.push_back(s.name);
  }
  EXPECT_EQ(strangers, std::vector<std::string>{});
  // The list is the program's own: it starts at _start and holds its main routine.
  for (const char* expected : {"_start", GetParam().main_routine}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(Report, Executable, testing::ValuesIn(SHIPPED),
                         [](const testing::TestParamInfo<Shipped>& info) {
                           return std::string(info.param.main_routine);
                         });

}  // namespace
