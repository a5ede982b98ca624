// The fixture of the text-file tests: a fresh directory, one record, and the
// pending I/O result cleared around every test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "internal/text.hpp"
#include "support.hpp"

namespace texttest {

// A counted string holding text (at most 255 characters).
inline rt::SHORTSTRING shortstring(const std::string& text) {
  rt::SHORTSTRING s{};
  s.LENGTH = static_cast<uint8_t>(text.size());
  text.copy(s.CHARS, text.size());
  return s;
}

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override { rt::INOUTRES = 0; }
  void TearDown() override { close_quietly(); }

  // Closes the record if it is open and drops whatever the close left pending.
  void close_quietly() {
    rt::INOUTRES = 0;
    if (t.MODE == rt::FMINPUT || t.MODE == rt::FMOUTPUT) rt::CLOSE(t);
    rt::INOUTRES = 0;
  }

  // Binds t to name in the directory and opens it; the I/O result it left.
  uint16_t open(const std::string& name, bool for_writing) {
    close_quietly();
    rt::ASSIGN(t, dir.file(name).c_str());
    for_writing ? rt::REWRITE(t) : rt::RESET(t);
    return rt::INOUTRES;
  }
  void open_reading(const std::string& bytes) {
    dir.write("input.txt", bytes);
    ASSERT_EQ(open("input.txt", false), 0);
  }
  void open_writing() { ASSERT_EQ(open("output.txt", true), 0); }

  // One read statement: the rest of the line, then the line skip.
  std::string read_line() {
    rt::SHORTSTRING s;
    rt::READ_STRING(t, s, rt::SHORTSTRING_CAPACITY);
    rt::READLN_END(t);
    return std::string(s.CHARS, s.LENGTH);
  }

  std::string written() const { return dir.read("output.txt").value_or("<no file>"); }

  testsupport::TempDir dir;
  rt::TEXT t{};
};

}  // namespace texttest
