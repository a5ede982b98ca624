// What a task file must make each program do, worked out here from the
// reading rules alone: numbers and lines as the text files read them, the
// duration conversion, the greedy split, and the run-time error that ends a
// run early. Used as the oracle for generated inputs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace robust {

constexpr int kInvalidNumber = 106;
constexpr int kRange = 201;
constexpr int kOverflow = 215;

inline bool fits32(int64_t v) {
  return v >= INT32_MIN && v <= INT32_MAX;
}

// The numeric value of a token, or nothing when it is not a number of the
// read's type: sign, one base prefix, digits of the base, 32-bit limits.
inline std::optional<int64_t> token_value(const std::string& token, bool is_signed) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  uint64_t base = 10;
  if (i < token.size() && std::string("$%&").find(token[i]) != std::string::npos) {
    base = token[i] == '$' ? 16 : token[i] == '%' ? 2 : 8;
    ++i;
  }
  if (i == token.size() || (negative && !is_signed)) return std::nullopt;
  const uint64_t limit =
      is_signed && base == 10 ? (negative ? 2147483648u : 2147483647u) : 4294967295u;
  uint64_t value = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    const uint64_t digit = c >= '0' && c <= '9'   ? c - '0'
                           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                  : 99;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > limit) return std::nullopt;
  }
  if (!is_signed) return value;
  const uint32_t bits = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  return static_cast<int32_t>(bits);
}

// The bytes of "input.txt" with a read position.
class TaskText {
 public:
  explicit TaskText(const std::string& bytes) : s_(bytes) {}

  // A number read: nothing for a failed one (106). At the very end of the
  // data the token is empty and fails; with only whitespace left it is 0.
  std::optional<int64_t> number(bool is_signed) {
    if (at_ == s_.size()) return std::nullopt;
    while (at_ < s_.size() && is_space(s_[at_]))
      ++at_;
    if (at_ == s_.size()) return 0;
    std::string token;
    while (at_ < s_.size() && !is_space(s_[at_]) && token.size() < 255)
      token += s_[at_++];
    return token_value(token, is_signed);
  }

  // A line read: up to the line end, at most 255 characters.
  std::string line() {
    std::string text;
    while (at_ < s_.size() && s_[at_] != '\n' && s_[at_] != '\r' && text.size() < 255) {
      text += s_[at_++];
    }
    return text;
  }

  // Past the next line end: LF, CR LF or a lone CR.
  void skip_line() {
    while (at_ < s_.size()) {
      const char c = s_[at_++];
      if (c == '\n') return;
      if (c == '\r') {
        if (at_ < s_.size() && s_[at_] == '\n') ++at_;
        return;
      }
    }
  }

 private:
  static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
  const std::string& s_;
  size_t at_ = 0;
};

// A duration line in seconds: fields split at ':' from the right, every
// character a digit worth its code - 48; nothing on 32-bit overflow (215).
inline std::optional<int32_t> duration_seconds(const std::string& text) {
  int64_t p = static_cast<int64_t>(text.size());
  const auto field = [&]() -> std::optional<int64_t> {
    int64_t value = 0;
    int64_t place = 1;
    for (; p > 0 && text[p - 1] != ':'; --p) {
      const int64_t term = (static_cast<uint8_t>(text[p - 1]) - 48) * place;
      value += term;
      place *= 10;
      if (!fits32(term) || !fits32(value) || !fits32(place)) return std::nullopt;
    }
    --p;  // over the colon
    return value;
  };
  const auto seconds = field(), minutes = field(), hours = field();
  if (!seconds || !minutes || !hours) return std::nullopt;
  const int64_t total = *minutes * 60 + *seconds;
  if (!fits32(*minutes * 60) || !fits32(total) || !fits32(*hours * 3600)) return std::nullopt;
  if (!fits32(*hours * 3600 + total)) return std::nullopt;
  return static_cast<int32_t>(*hours * 3600 + total);
}

// The splitter's expected run: an error number, or a split (or -1) of the
// durations in input order against the capacity of one half.
struct SplitOutcome {
  explicit SplitOutcome(int error = 0) : exit_code(error) {}
  int exit_code;
  std::vector<int32_t> durations;
  int64_t capacity = 0;
  bool splits = false;
  std::vector<int32_t> half1, half2;  // the greedy's multisets, sorted
};

inline SplitOutcome expected_split(const std::string& bytes) {
  SplitOutcome out;
  TaskText in(bytes);
  const auto minutes = in.number(true);
  if (!minutes) return SplitOutcome(kInvalidNumber);
  in.skip_line();
  if (!fits32(*minutes * 60)) return SplitOutcome(kOverflow);
  out.capacity = *minutes * 30;
  const auto count = in.number(true);
  if (!count) return SplitOutcome(kInvalidNumber);
  in.skip_line();
  for (int64_t i = 1; i <= *count; ++i) {
    const std::string text = in.line();
    in.skip_line();
    if (i > 5010) return SplitOutcome(kRange);
    const auto seconds = duration_seconds(text);
    if (!seconds) return SplitOutcome(kOverflow);
    out.durations.push_back(*seconds);
  }
  if (*count < 0) return SplitOutcome(kRange);  // the sort's index check
  std::vector<int32_t> longest_first = out.durations;
  std::sort(longest_first.begin(), longest_first.end(), std::greater<>());
  int64_t c1 = 0, c2 = 0;
  for (const int32_t d : longest_first) {
    if (!fits32(c1 + d)) return SplitOutcome(kOverflow);
    if (c1 + d <= out.capacity) {
      c1 += d;
      out.half1.push_back(d);
    } else {
      c2 += d;
      if (!fits32(c2)) return SplitOutcome(kOverflow);
      out.half2.push_back(d);
    }
  }
  out.splits = c1 <= out.capacity && c2 <= out.capacity;
  std::sort(out.half1.begin(), out.half1.end());
  std::sort(out.half2.begin(), out.half2.end());
  return out;
}

// What is wrong with a successful splitter's answer file; empty if nothing.
inline std::string split_answer_fault(const std::string& answer, const SplitOutcome& expected) {
  if (!expected.splits) return answer == "-1\r\n" ? "" : "expected the answer -1";
  if (answer.size() != 3 * expected.durations.size()) return "not one 3-byte line per item";
  std::vector<int32_t> half[2];
  int64_t sum[2] = {0, 0};
  for (size_t i = 0; i < expected.durations.size(); ++i) {
    const std::string line = answer.substr(3 * i, 3);
    if (line != "1\r\n" && line != "2\r\n") return "line " + std::to_string(i + 1) + " malformed";
    half[line[0] - '1'].push_back(expected.durations[i]);
    sum[line[0] - '1'] += expected.durations[i];
  }
  if (sum[0] > expected.capacity || sum[1] > expected.capacity) return "a half overfilled";
  std::sort(half[0].begin(), half[0].end());
  std::sort(half[1].begin(), half[1].end());
  if (half[0] != expected.half1 || half[1] != expected.half2) return "not the greedy's halves";
  return "";
}

// The refuser's expected exit: 0, 106 or 201 from its two leading numbers.
inline int expected_refusal(const std::string& bytes) {
  TaskText in(bytes);
  for (int i = 0; i < 2; ++i) {
    const auto value = in.number(false);
    if (!value) return kInvalidNumber;
    if (*value > 65535) return kRange;
    in.skip_line();
  }
  return 0;
}

}  // namespace robust
