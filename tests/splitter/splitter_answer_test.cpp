// The splitter's answer file, run for real in a fresh directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "splitter_run.hpp"

namespace {

using namespace splittertest;
using testsupport::RunResult;
using testsupport::TempDir;

TEST(SplitterAnswer, SampleSplitsIntoAlternatingHalves) {
  TempDir dir;
  dir.write("input.txt", kSample);
  const RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.stdout_bytes, "");
  EXPECT_EQ(dir.read("output.txt"), kSampleAnswer);
}

TEST(SplitterAnswer, LongerEarlierAnswerIsReplaced) {
  ExpectAnswer(kSample, kSampleAnswer);  // over an earlier file of two lines
  ExpectAnswer("20\n3\n8:20\n6:40\n5:00\n", "-1\r\n");
}

TEST(SplitterAnswer, MissingInputEndsWith2AndWritesNothing) {
  TempDir dir;
  const RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  EXPECT_TRUE(testsupport::FailedWith(SPLITTER_PATH, r, 2, kInInit));
  EXPECT_EQ(dir.read("output.txt"), std::nullopt);
}

TEST(SplitterAnswer, DirectoryAsAnswerFileEndsWith5InSave) {
  TempDir dir;
  dir.write("input.txt", kSample);
  std::filesystem::create_directory(dir.file("output.txt"));
  const RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  EXPECT_TRUE(testsupport::FailedWith(SPLITTER_PATH, r, 5, kInSave));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("output.txt")));
}

TEST(SplitterAnswer, FullDeviceAsAnswerFileEndsWith101InSave) {
  TempDir dir;
  dir.write("input.txt", kSample);
  std::filesystem::create_symlink("/dev/full", dir.file("output.txt"));
  const RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  EXPECT_TRUE(testsupport::FailedWith(SPLITTER_PATH, r, 101, kInSave));
}

}  // namespace
