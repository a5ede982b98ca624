// Run-time error reports of the probe, checked whole.
#include <gtest/gtest.h>

#include "support.hpp"

namespace {

using testsupport::RunResult;
using testsupport::TempDir;

RunResult run_scenario(const std::string& scenario) {
  TempDir dir;
  dir.write("scenario.txt", scenario + "\n");
  return testsupport::run(PROBE_PATH, dir.path());
}

TEST(Report, OverflowEndsWith215) {
  const RunResult r = run_scenario("overflow");
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 215);
  EXPECT_EQ(r.stdout_bytes.rfind("Runtime error 215 at 0x", 0), 0u) << r.stdout_bytes;
}

}  // namespace
