// Reading the task from "input.txt" and converting durations to seconds.
#include "plain_duration.hpp"
#include "runtime/text.hpp"
#include "runtime/text_lines.hpp"
#include "splitter.hpp"

using namespace rt;

namespace {

// One colon-separated field, read right to left from position P down to the
// colon that ends it: every character counts as a digit (its code - 48), the
// leftmost with the highest place. Inlined, so an overflow is located in
// CONVERT itself.
[[gnu::always_inline]] inline int32_t read_field(const SHORTSTRING& MSTR, int32_t& P) {
  int32_t value = 0;
  int32_t place = 1;
  while (P > 0 && MSTR.AT(P) != ':') {
    value = CHECKED_ADD(value, CHECKED_MUL(CHECKED_SUB(MSTR.AT(P), 48), place));
    place = CHECKED_MUL(place, 10);
    P = CHECKED_SUB(P, 1);
  }
  return value;
}

// Where a run of item lines ended: the next line's index, and whether that
// line was read into the string, for CONVERT.
struct RUNEND {
  int32_t I;
  bool READ;
};

// The item lines from I on that lie in the buffer, read as the statements
// would read them, with no call and no check that could fail: I stays
// within N and B. Those in the usual shapes of up to eight characters
// (h:mm:ss first, the commonest) are converted here, as they provably
// convert without overflow; the run ends at the first other one, which it
// reads into MSTR (as READ_STRING would), for CONVERT, called by INIT so
// that an overflow's report is the same. A routine of its own, so
// that what it keeps in registers does not grow INIT's frame, under which
// SORT recurses.
[[gnu::noinline]] RUNEND read_item_lines(TEXT& F, int32_t I, SHORTSTRING& MSTR) {
  SOMETYPE* const items = &B[0];
  const int32_t last = N < NSIZE ? N : NSIZE;
  bool read = false;
  rt::fast::read_short_lines(F, [&](const uint8_t* line, int32_t length) {
    if (I > last) return rt::fast::LINE::LEAVE;
    const uint64_t word = rt::fast::word_at(line);
    int64_t seconds;
    if ((length == 7 && plain::seconds_of_clock_word(word, seconds)) ||
        plain::seconds_of_usual_word(word, length, seconds)) {
      items[I].VALUE = static_cast<int32_t>(seconds);
      items[I].INDEX = I;
      ++I;
      return rt::fast::LINE::TAKE;
    }
    __builtin_memcpy(MSTR.CHARS, line, 16);
    MSTR.LENGTH = static_cast<uint8_t>(length);
    read = true;
    return rt::fast::LINE::TAKE_LAST;
  });
  return {I, read};
}

}  // namespace

int32_t CONVERT(const SHORTSTRING& MSTR) {
  int32_t plain_seconds;
  if (plain::seconds(MSTR, plain_seconds)) return plain_seconds;
  int32_t P = MSTR.LENGTH;
  const int32_t seconds = read_field(MSTR, P);
  P = CHECKED_SUB(P, 1);  // over the colon, or further below 1 when the text ran out
  const int32_t minutes = read_field(MSTR, P);
  P = CHECKED_SUB(P, 1);
  const int32_t total = CHECKED_ADD(CHECKED_MUL(minutes, 60), seconds);
  const int32_t hours = read_field(MSTR, P);
  return CHECKED_ADD(CHECKED_MUL(hours, 3600), total);
}

void INIT() {
  TEXT F;
  SHORTSTRING MSTR;
  ASSIGN(F, "input.txt");
  RESET(F);
  INT_IOCHECK();
  L = READ_SINT(F);
  READLN_END(F);
  INT_IOCHECK();
  L = CHECKED_MUL(L, 60);
  L2 = L / 2;
  N = READ_SINT(F);
  READLN_END(F);
  INT_IOCHECK();
  // Stops at 5011 by the range check, long before wrapping.
  for (int32_t I = 1; I <= N; ++I) {
    const RUNEND run = read_item_lines(F, I, MSTR);
    I = run.I;
    if (!run.READ) {
      // A line the run could not read, by the statements' general steps,
      // which read every line as their inline paths would.
      if (I > N) break;
      general::READ_STRING(F, MSTR, SHORTSTRING_CAPACITY);
      general::READLN_END(F);
      INT_IOCHECK();
    }
    SOMETYPE& item = B[I];  // checked before the line is converted
    item.VALUE = CONVERT(MSTR);
    item.INDEX = I;
  }
  SORT(1, N);
  ANS = 0;
}
