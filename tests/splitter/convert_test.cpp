// CONVERT called directly: durations to seconds, and the texts that overflow.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plain_duration.hpp"
#include "splitter.hpp"

namespace {

rt::SHORTSTRING text(const std::string& s) {
  rt::SHORTSTRING m{};
  m.LENGTH = static_cast<uint8_t>(s.size());
  std::memcpy(m.CHARS, s.data(), s.size());
  return m;
}

TEST(Convert, Seconds) {
  const std::pair<std::string, int32_t> cases[] = {
      {"1:02:03", 3723},
      {"4:05", 245},
      {"75", 75},
      {"0:0:0", 0},
      {"", 0},
      {"1:2:3:4", 7384},  // left of the third colon is ignored
      {"0000000000:1:02:03", 3723},
      {"1::5", 3605},
      {":30", 30},
      {"5:", 300},
      {":1:2:", 3720},
      {":::", 0},
      {"000000000", 0},
      {"999999999", 999999999},
      {"000000001:000000002:000000003", 3723},
      // Any other character counts code - 48, the leftmost at the highest place.
      {" 3:00", -9420},  // minutes 3 + 10 * -16 = -157
      {"A", 17},
      {"1A", 27},
      {"-5", -25},
      {"\t", -39},
      {"\x80", 80},
      {"\xff\xff", 2277},
      // The largest and smallest sums that still fit.
      {"35791394:07", 2147483647},
      {"596523:14:07", 2147483647},
      {"-0000000:0", -1800000000},  // minutes -3 * 10^7
  };
  for (const auto& [s, seconds] : cases) {
    EXPECT_EQ(CONVERT(text(s)), seconds) << '"' << s << '"';
  }
}

// The conversion's steps in 64 bits: the seconds, or false where a checked
// step would overflow.
bool literal_seconds(const std::string& s, int64_t& seconds) {
  const auto fits = [](int64_t x) { return x >= INT32_MIN && x <= INT32_MAX; };
  int64_t p = static_cast<int64_t>(s.size());
  int64_t fields[3] = {0, 0, 0};
  for (int64_t& field : fields) {
    int64_t place = 1;
    for (; p > 0 && s[p - 1] != ':'; --p) {
      field += (static_cast<uint8_t>(s[p - 1]) - 48) * place;
      place *= 10;
      if (!fits(field) || !fits(place)) return false;
    }
    --p;
  }
  const int64_t minutes = fields[1] * 60, hours = fields[2] * 3600;
  seconds = hours + minutes + fields[0];
  return fits(minutes) && fits(minutes + fields[0]) && fits(hours) && fits(seconds);
}

// A text's first eight bytes as the word conversions get them from the
// buffer, with `filler` after its end.
uint64_t word_of(const std::string& s, char filler) {
  std::string bytes = s + std::string(8, filler);
  uint64_t word = 0;
  for (int i = 7; i >= 0; --i)
    word = word << 8 | static_cast<uint8_t>(bytes[static_cast<size_t>(i)]);
  return word;
}

// Whether a text has one of the shapes a word conversion is for: digits,
// and colons where `colons` has them (1), left-padded with digits to eight.
bool has_shape(const std::string& s, const std::string& colons) {
  if (s.empty() || s.size() > colons.size()) return false;
  const std::string padded = std::string(colons.size() - s.size(), '0') + s;
  for (size_t i = 0; i < padded.size(); ++i) {
    const bool digit = padded[i] >= '0' && padded[i] <= '9';
    if (colons[i] == '1' ? padded[i] != ':' : !digit) return false;
  }
  return true;
}

// The word conversions of the reading loop: where they take a text, they
// give what the steps give, and they never take one the steps overflow on.
// Each takes every text of its own shapes.
void expect_words_as_steps(const std::string& s, bool steps_fit, int64_t expected) {
  const int32_t length = static_cast<int32_t>(s.size());
  const bool usual =
      has_shape(s, "00100100") || has_shape(s, "00000100") || has_shape(s, "00000000");
  const bool clock = s.size() == 7 && has_shape(s, "0100100");
  for (const char filler : {'\r', '\xff', '0'}) {
    const uint64_t word = word_of(s, filler);
    int64_t seconds = -1;
    const bool took_usual = plain::seconds_of_usual_word(word, length, seconds);
    ASSERT_EQ(took_usual, usual) << '"' << s << '"';
    if (took_usual) {
      ASSERT_TRUE(steps_fit) << '"' << s << '"';
      ASSERT_EQ(seconds, expected) << '"' << s << '"';
    }
    // The clock line is seven characters and a carriage return, exactly.
    const uint64_t values = word ^ plain::CLOCK_LINE;
    const bool took_clock = length == 7 && plain::is_clock_line(values);
    ASSERT_EQ(took_clock, clock && filler == '\r') << '"' << s << '"';
    if (took_clock) {
      ASSERT_TRUE(steps_fit) << '"' << s << '"';
      ASSERT_EQ(plain::clock_seconds(values), expected) << '"' << s << '"';
    }
  }
}

// Every text of up to eight characters over digits, colons and the
// characters on either side of them, and longer texts of digits and colons,
// converted as the steps convert them; whichever path CONVERT takes, and by
// the reading loop's word conversions.
TEST(Convert, EveryShortTextAsItsSteps) {
  const std::string alphabet = "019:/;";
  size_t compared = 0;
  for (size_t length = 0; length <= 8; ++length) {
    std::string s(length, '0');
    for (size_t n = 0;; ++n) {
      size_t k = n;
      for (size_t i = 0; i < length; ++i, k /= alphabet.size())
        s[i] = alphabet[k % alphabet.size()];
      if (k != 0) break;  // every text of this length done
      int64_t expected = 0;
      const bool fits = literal_seconds(s, expected);
      if (fits) {
        ASSERT_EQ(CONVERT(text(s)), expected) << '"' << s << '"';
        ++compared;
      }
      expect_words_as_steps(s, fits, expected);
      if (HasFatalFailure()) return;
    }
  }
  for (const std::string s : {"000596523:14:07", "000000001:000000002:000000003", "1:2:3:4:5:6",
                              "99999:99:99", "::::::::9", "123456789"}) {
    int64_t expected;
    ASSERT_TRUE(literal_seconds(s, expected)) << s;
    EXPECT_EQ(CONVERT(text(s)), expected) << '"' << s << '"';
  }
  EXPECT_GT(compared, 1600000u);
}

TEST(ConvertDeathTest, OverflowEndsWith215) {
  for (const std::string s : {
           "0000000000",  // the place value of a tenth character
           "1234567890", "0000000000:00", "0000000000:0:0",
           "35791394:08",                           // the sum
           "35791395:00",                           // minutes * 60
           "596523:14:08",                          // the sum with hours
           "596524:0:0",                            // hours * 3600
           "-00000000:0",                           // minutes -3 * 10^8, times 60
           "\xff\xff\xff\xff\xff\xff\xff\xff\xff",  // 207 at every place
       }) {
    EXPECT_EXIT(CONVERT(text(s)), testing::ExitedWithCode(215), "") << '"' << s << '"';
  }
}

}  // namespace
