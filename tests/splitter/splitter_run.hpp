// Running the splitter on one "input.txt" in a fresh directory, and what a
// successful or a failing run must leave behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report.hpp"
#include "support.hpp"

namespace splittertest {

using testsupport::kStartup;
using Chain = std::vector<std::string>;

// Where an error is raised, innermost routine first.
inline const Chain kInInit{"INIT", "SPLITTER", kStartup};
inline const Chain kInConvert{"CONVERT", "INIT", "SPLITTER", kStartup};
inline const Chain kInSort{"SORT", "INIT", "SPLITTER", kStartup};
inline const Chain kInSolve{"SOLVE2", "SPLITTER", kStartup};
inline const Chain kInSave{"SAVE", "SPLITTER", kStartup};

// 20 minutes, items of 400, 300, 200 and 100 seconds.
inline const std::string kSample = "20\n4\n6:40\n5:00\n3:20\n1:40\n";
inline const std::string kSampleAnswer = "1\r\n2\r\n1\r\n2\r\n";

// An answer file from an earlier run, which a failing run must not touch.
inline const std::string kPrevious = "an earlier answer\r\n";

// A normal run: exit 0, nothing on standard output, exactly `answer` written.
inline void ExpectAnswer(const std::string& input, const std::string& answer) {
  testsupport::TempDir dir;
  dir.write("input.txt", input);
  dir.write("output.txt", kPrevious + kPrevious);
  const testsupport::RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  ASSERT_TRUE(r.exited) << testsupport::describe(r);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.stdout_bytes, "");
  EXPECT_EQ(dir.read("output.txt"), answer);
}

// A run ending with run-time error `number` raised in `chain`, before the
// answer file is opened.
inline void ExpectError(const std::string& input, int number, const Chain& chain) {
  testsupport::TempDir dir;
  dir.write("input.txt", input);
  dir.write("output.txt", kPrevious);
  const testsupport::RunResult r = testsupport::run(SPLITTER_PATH, dir.path());
  EXPECT_TRUE(testsupport::FailedWith(SPLITTER_PATH, r, number, chain));
  EXPECT_EQ(dir.read("output.txt"), kPrevious);
}

// `count` copies of `text`.
inline std::string repeat(const std::string& text, size_t count) {
  std::string all;
  for (size_t i = 0; i < count; ++i)
    all += text;
  return all;
}

}  // namespace splittertest
