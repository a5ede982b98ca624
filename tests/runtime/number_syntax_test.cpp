// Number tokens: the conversion rules and limits, and how a read cuts a token from a file.
#include <cstdint>
#include <string>
#include <vector>

#include "text_fixture.hpp"

namespace {

using namespace rt;

constexpr int64_t kBad = INT64_MIN;  // the conversion fails

// Each token through both conversions; a failed one must leave the value 0.
TEST(TokenConversion, SignsBasesDigitsAndLimits) {
  struct Case {
    std::string text;
    int64_t as_signed, as_unsigned;
  };
  // clang-format off
  std::vector<Case> cases = {
      {"007", 7, 7},        {"+7", 7, 7},          {"-17", -17, kBad},   {"-0", 0, kBad},
      {" \t12", 12, 12},    {"$1F", 31, 31},       {"$1f", 31, 31},      {"%101", 5, 5},
      {"&17", 15, 15},      {"-$10", -16, kBad},   {"-$FFFFFFFF", 1, kBad},
      {"2147483647", INT32_MAX, INT32_MAX},        {"2147483648", kBad, 2147483648},
      {"-2147483648", INT32_MIN, kBad},            {"-2147483649", kBad, kBad},
      {"4294967295", kBad, UINT32_MAX},            {"4294967296", kBad, kBad},
      {"$FFFFFFFF", -1, UINT32_MAX},               {"$80000000", INT32_MIN, 0x80000000},
      {"&37777777777", -1, UINT32_MAX},            {"&40000000000", kBad, kBad},
      {"$100000000", kBad, kBad},                  {"%1" + std::string(32, '0'), kBad, kBad},
      {"%1" + std::string(31, '0'), INT32_MIN, 0x80000000}};
  for (const char* text : {"", "-", "+", "$", "%", "&", "+-1", "--1", "1-", "$-1", "1.5", "1e3",
                           "0x10", "12abc", "%2", "&8", "$G", "12 ", "1 2", "1\x1a", "\xb9"}) {
    cases.push_back({text, kBad, kBad});
  }
  // clang-format on
  for (const Case& c : cases) {
    int32_t s = 12345;
    uint32_t u = 12345;
    const bool s_ok = VALSIGNEDINT(texttest::shortstring(c.text), s),
               u_ok = VALUNSIGNEDINT(texttest::shortstring(c.text), u);
    EXPECT_EQ(s_ok ? int64_t{s} : kBad, c.as_signed) << c.text;
    EXPECT_EQ(u_ok ? int64_t{u} : kBad, c.as_unsigned) << c.text;
    EXPECT_EQ(s_ok ? 0 : s, 0) << c.text;
    EXPECT_EQ(u_ok ? 0 : u, 0u) << c.text;
  }
}

using NumberReadTest = texttest::TextFileTest;

// Reads the given numbers in a row, then checks the pending result. Both reads
// follow the same rules for where a token starts and ends.
TEST_F(NumberReadTest, EndOfDataAndTheBytesAroundAToken) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<int32_t> values;
    uint16_t result;
  } cases[] = {
      {"empty file", "", {0}, IO_INVALID_NUMBER},
      {"end right after a number", "12", {12, 0}, IO_INVALID_NUMBER},
      {"only white space left", "12 \r\n\t\n  ", {12, 0}, 0},
      {"empty lines before a number", "\n\r\n\r42", {42}, 0},
      {"number across a block boundary", std::string(250, ' ') + "123456789", {123456789}, 0},
      {"byte 26 after a number", "12\x1a\r\n", {0}, IO_INVALID_NUMBER},
  };
  for (const bool is_signed : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (is_signed ? " (signed)" : " (unsigned)"));
      open_reading(c.bytes);
      for (const int32_t expected : c.values) {
        const int64_t value = is_signed ? int64_t{READ_SINT(t)} : int64_t{READ_UINT(t)};
        EXPECT_EQ(value, expected);
      }
      EXPECT_EQ(INOUTRES, c.result);
      INOUTRES = 0;
    }
  }
}

TEST_F(NumberReadTest, ATokenEndsAfter255CharactersAndTheRestStaysUnread) {
  // The first 255 characters are 254 zeros and a 1; the 2 lies in the next block.
  open_reading(" " + std::string(254, '0') + "12");
  EXPECT_EQ(READ_SINT(t), 1);
  EXPECT_EQ(READ_SINT(t), 2);
  EXPECT_EQ(INOUTRES, 0);

  open_reading(std::string(300, '0') + "5 9\r\n7");
  EXPECT_EQ(READ_SINT(t), 0);
  READLN_END(t);
  EXPECT_EQ(READ_SINT(t), 7);
  EXPECT_EQ(INOUTRES, 0);
}

}  // namespace
