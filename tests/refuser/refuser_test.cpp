// The refuser, run for real in a fresh directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "report.hpp"
#include "support.hpp"

namespace {

using testsupport::FailedWith;
using testsupport::kStartup;
using testsupport::RunResult;
using testsupport::TempDir;

const std::vector<std::string> kInInput{"INPUTDATA", "REFUSER", kStartup};
const std::vector<std::string> kInOutput{"OUTPUTDATA", "REFUSER", kStartup};
const std::string kPrevious = "an earlier answer\r\n";

TEST(Refuser, AnswersMinusOneWithoutLineEnd) {
  TempDir dir;
  dir.write("input.txt", "20\n4\n6:40\n5:00\n3:20\n1:40\n");
  const RunResult r = testsupport::run(REFUSER_PATH, dir.path());
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.stdout_bytes, "");
  EXPECT_EQ(dir.read("output.txt"), "-1");
}

TEST(Refuser, AnswersMinusOneToEveryReadableTask) {
  for (const std::string input : {
           "20\n3\n8:20\n6:40\n5:00\n",  // one the splitter cannot split either
           "20\n0\n",
           "20\n5\n1:00\n",  // fewer item lines than counted
           "20\n3\nhello world\n\x01\xff\n-5\n",
           "\n\n \t20\n\r\n\t\n4 items\n6:40\n5:00\n3:20\n1:40", "65535\n0\n", "$FFFF\n%0\n",
           "0\n65535\n",  // the item counter reaches 65535 and stops
       }) {
    SCOPED_TRACE(input);
    TempDir dir;
    dir.write("input.txt", input);
    dir.write("output.txt", kPrevious);
    const RunResult r = testsupport::run(REFUSER_PATH, dir.path());
    ASSERT_TRUE(r.exited) << testsupport::describe(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.stdout_bytes, "");
    EXPECT_EQ(dir.read("output.txt"), "-1");
  }
}

TEST(Refuser, BadLeadingNumbersEndBeforeTheAnswerFile) {
  const std::pair<std::string, int> cases[] = {
      {"65536\n0\n", 201}, {"20\n65536\n", 201}, {"70000\n0\n", 201},  {"4294967295\n0\n", 201},
      {"-5\n0\n", 106},    {"-0\n0\n", 106},     {"20\n-0\n", 106},    {"4294967296\n0\n", 106},
      {"", 106},           {"20\n", 106},        {"twenty\n0\n", 106},
  };
  for (const auto& [input, number] : cases) {
    SCOPED_TRACE(input);
    TempDir dir;
    dir.write("input.txt", input);
    dir.write("output.txt", kPrevious);
    const RunResult r = testsupport::run(REFUSER_PATH, dir.path());
    EXPECT_TRUE(FailedWith(REFUSER_PATH, r, number, kInInput));
    EXPECT_EQ(dir.read("output.txt"), kPrevious);
  }
}

TEST(Refuser, MissingInputEndsWith2) {
  TempDir dir;
  const RunResult r = testsupport::run(REFUSER_PATH, dir.path());
  EXPECT_TRUE(FailedWith(REFUSER_PATH, r, 2, kInInput));
  EXPECT_EQ(dir.read("output.txt"), std::nullopt);
}

TEST(Refuser, UnwritableAnswerFileEndsInOutputData) {
  TempDir dir;
  dir.write("input.txt", "20\n0\n");
  std::filesystem::create_directory(dir.file("output.txt"));
  EXPECT_TRUE(FailedWith(REFUSER_PATH, testsupport::run(REFUSER_PATH, dir.path()), 5, kInOutput));

  std::filesystem::remove(dir.file("output.txt"));
  std::filesystem::create_symlink("/dev/full", dir.file("output.txt"));
  EXPECT_TRUE(FailedWith(REFUSER_PATH, testsupport::run(REFUSER_PATH, dir.path()), 101, kInOutput));
}

}  // namespace
