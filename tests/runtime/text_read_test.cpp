// Reading lines and numbers from real files: line ends, long lines, the end of the data.
#include <string>
#include <vector>

#include "text_fixture.hpp"

namespace {

using namespace rt;

using TextReadTest = texttest::TextFileTest;

TEST_F(TextReadTest, ReadsTheFirstNumberOfEachLine) {
  open_reading("  -17  words\r\n\n\n42");
  EXPECT_EQ(READ_SINT(t), -17);
  READLN_END(t);
  EXPECT_EQ(READ_SINT(t), 42);
  READLN_END(t);
  EXPECT_EQ(INOUTRES, 0);
}

// Each case is read line by line; after its lines the data has ended, and a
// further line read gives the empty string without a result.
TEST_F(TextReadTest, LineEndsAndLineLengths) {
  const std::string x255(255, 'x');
  // Lines either side of 16 and 32 characters, under mixed line ends.
  std::string mixed_bytes;
  std::vector<std::string> mixed_lines;
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (const int length : {15, 16, 17, 31, 32, 33, 47}) {
    mixed_lines.push_back(
        std::string(static_cast<size_t>(length), static_cast<char>('a' + length % 26)));
    mixed_bytes += mixed_lines.back() + ends[length % 3];
  }
  std::string digits300;
  for (int i = 0; i < 300; ++i)
    digits300 += static_cast<char>('0' + i % 10);
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"carriage return and line feed", "ab\r\ncd\r\n", {"ab", "cd"}},
      {"line feed", "ab\ncd\n", {"ab", "cd"}},
      {"lone carriage return", "ab\rcd\r", {"ab", "cd"}},
      {"no end on the last line", "ab\ncd", {"ab", "cd"}},
      {"line feed then carriage return", "ab\n\rcd", {"ab", "", "cd"}},
      {"carriage return twice", "ab\r\r\ncd", {"ab", "", "cd"}},
      {"bytes kept as they are", "\t a\x1a\xff \n", {"\t a\x1a\xff "}},
      {"CR LF across a block boundary", x255 + "\r\ncd", {x255, "cd"}},
      {"lone CR at a block boundary", x255 + "\rcd", {x255, "cd"}},
      {"line of 300 characters", digits300 + "\r\nnext", {digits300.substr(0, 255), "next"}},
      {"mixed line lengths", mixed_bytes, mixed_lines},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open_reading(c.bytes);
    for (const std::string& line : c.lines)
      EXPECT_EQ(read_line(), line);
    EXPECT_EQ(read_line(), "");
    EXPECT_EQ(INOUTRES, 0);
  }
}

}  // namespace
