// Writing numbers, strings and line ends, and when the buffer reaches the file.
#include <fcntl.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "text_fixture.hpp"

namespace {

using namespace rt;

std::string repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i)
    all += text;
  return all;
}

class TextWriteTest : public texttest::TextFileTest {
 protected:
  uintmax_t size_on_disk() const { return std::filesystem::file_size(dir.file("output.txt")); }
};

TEST_F(TextWriteTest, NumbersInDecimalPaddedToTheWidth) {
  const struct {
    int32_t width;
    int32_t value;
    std::string text;
  } cases[] = {{0, -1, "-1"},
               {0, 0, "0"},
               {0, 1000, "1000"},
               {5, -1, "   -1"},
               {2, 123, "123"},
               {-3, 7, "7"},
               {40, 7, std::string(39, ' ') + "7"},
               {0, INT32_MIN, "-2147483648"},
               {0, INT32_MAX, "2147483647"}};
  open_writing();
  std::string expected;
  for (const auto& c : cases) {
    WRITE_SINT(c.width, t, c.value);
    WRITELN_END(t);
    expected += c.text + "\r\n";
  }
  WRITE_STR(3, t, SHORTSTR("ab"));
  expected += " ab";
  CLOSE(t);
  EXPECT_EQ(INOUTRES, 0);
  EXPECT_EQ(written(), expected);
}

TEST_F(TextWriteTest, ADiskFileReceivesWholeBlocksAndTheRestAtClose) {
  open_writing();
  for (int i = 0; i < 85; ++i) {
    WRITE_SINT(0, t, 1);
    WRITELN_END(t);
  }
  WRITE_SINT(0, t, 1);
  EXPECT_EQ(size_on_disk(), 0u) << "a buffer filled exactly waits for more";
  WRITELN_END(t);
  EXPECT_EQ(size_on_disk(), 256u);
  CLOSE(t);
  EXPECT_EQ(INOUTRES, 0);
  EXPECT_EQ(written(), repeat("1\r\n", 86));
}

TEST_F(TextWriteTest, WriteEndLeavesADiskFileUntilClose) {
  open_writing();
  WRITE_SINT(0, t, -1);
  WRITE_END(t);
  EXPECT_EQ(size_on_disk(), 0u);
  CLOSE(t);
  EXPECT_EQ(written(), "-1");
}

TEST_F(TextWriteTest, ACharacterDeviceGetsEachLineAndKeepsItsHandle) {
  ASSIGN(t, "/dev/null");
  REWRITE(t);
  WRITE_SINT(0, t, 5);
  EXPECT_EQ(t.CURSOR, 1);
  WRITELN_END(t);
  EXPECT_EQ(t.CURSOR, 0);
  const int handle = t.HANDLE;
  CLOSE(t);
  EXPECT_EQ(INOUTRES, 0);
  EXPECT_NE(fcntl(handle, F_GETFD), -1);
}

}  // namespace
