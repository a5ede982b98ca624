// The splitter's answer file, run for real in a fresh directory.
#include <gtest/gtest.h>

#include "support.hpp"

namespace {

using testsupport::RunResult;
using testsupport::TempDir;

TEST(SplitterAnswer, SampleSplitsIntoAlternatingHalves) {
  TempDir dir;
  dir.write("input.txt", "20\n4\n6:40\n5:00\n3:20\n1:40\n");
  const RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.stdout_bytes, "");
  EXPECT_EQ(dir.read("output.txt"), "1\r\n2\r\n1\r\n2\r\n");
}

}  // namespace
