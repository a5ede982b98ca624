// Reading numbers and lines from real files.
#include <gtest/gtest.h>

#include "runtime/text.hpp"
#include "support.hpp"

namespace {

using namespace rt;

// A record opened for reading on a file holding the given bytes.
class ReadFile {
 public:
  explicit ReadFile(const std::string& bytes) {
    dir_.write("input.txt", bytes);
    INOUTRES = 0;
    ASSIGN(t, dir_.file("input.txt").c_str());
    RESET(t);
  }
  ~ReadFile() {
    INOUTRES = 0;
    CLOSE(t);
    INOUTRES = 0;
  }
  TEXT t;

 private:
  testsupport::TempDir dir_;
};

TEST(ReadSint, ReadsTheFirstNumberOfEachLine) {
  ReadFile f("  -17  words\r\n\n\n42");
  EXPECT_EQ(READ_SINT(f.t), -17);
  READLN_END(f.t);
  EXPECT_EQ(READ_SINT(f.t), 42);
  READLN_END(f.t);
  EXPECT_EQ(INOUTRES, 0);
}

}  // namespace
