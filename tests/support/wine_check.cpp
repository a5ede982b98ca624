// Linked into the executables whose tests run the Windows programs under
// Wine: where the machine cannot run them, as the prefix's start found and
// noted beside the prefix, every test is skipped with that reason instead of
// failing one by one.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support.hpp"

namespace {

class WineCanRunPrograms : public testing::Environment {
 public:
  void SetUp() override {
    if (const auto reason =
            testsupport::read_file(std::string(HALVES_WINEPREFIX) + ".unavailable")) {
      // The skip of an environment ends with "PASSED" in the output: this
      // line is what tells the test runner that the test was skipped.
      std::printf("[  SKIPPED ] %s\n", reason->c_str());
      GTEST_SKIP() << *reason;
    }
  }
};

[[maybe_unused]] testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new WineCanRunPrograms);

}  // namespace
