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
// line was read into the string, its line skip yet to come, for CONVERT.
struct RUNEND {
  int32_t I;
  bool READ;
};

// The item lines of a run, from I while I stays within N and B: those of the
// commonest shape (h:mm:ss, carriage return, line feed) taken by their nine
// bytes as long as they come, and the other lines of up to eight characters
// in the usual shapes; these provably convert without overflow. Any other
// line ends the run, for CONVERT called by INIT, so that an overflow's
// report is the same.
struct ITEMLINES {
  intptr_t I;  // a whole register: it indexes the items as it is
  intptr_t LAST;
  SOMETYPE* ITEMS;

  bool more() const { return I <= LAST; }

  int32_t run(const rt::BUFFERBYTE* buffer, int32_t cursor, int32_t filled) {
    // Lines start before the first place without nine bytes of data, and
    // before the line past the last item.
    const intptr_t items_end = cursor + 9 * (LAST - I + 1);
    const intptr_t end = filled - 8 < items_end ? filled - 8 : items_end;
    const rt::BUFFERBYTE* line = buffer + cursor;
    const rt::BUFFERBYTE* const stop = buffer + (end > cursor ? end : cursor);
    intptr_t index = I;
    // Eight lines at once, checked together, where they have the shape.
    uint64_t words[8];
    for (; stop - line > 63 && rt::scan::eight_lines(line, plain::CLOCK_LINES, words); line += 72) {
#pragma GCC unroll 8
      for (int32_t j = 0; j < 8; ++j) {
        ITEMS[index + j] = {static_cast<int32_t>(index + j),
                            plain::clock_seconds(words[j] ^ plain::CLOCK_LINE)};
      }
      index += 8;
    }
    // Then one at a time.
    const uint64_t limits = plain::held(plain::CLOCK_LIMITS);
    const uint64_t highs = plain::held(plain::HIGHS);
    for (; line < stop; line += 9) {
      const uint64_t values = rt::scan::buffer_word(line, 0) ^ plain::CLOCK_LINE;
      if (plain::clock_line_faults(values, limits, highs) != 0 || rt::scan::bytes_of(line)[8] != 10)
        break;
      ITEMS[index] = {static_cast<int32_t>(index), plain::clock_seconds(values)};
      ++index;
    }
    I = index;
    return static_cast<int32_t>(line - buffer);
  }

  bool known(uint64_t word, uint32_t ninth) {
    const uint64_t values = word ^ plain::CLOCK_LINE;
    if (!plain::is_clock_line(values) || ninth != 10) return false;
    ITEMS[I] = {static_cast<int32_t>(I), plain::clock_seconds(values)};
    ++I;
    return true;
  }

  // The line's bytes from `length` on are its line end and what follows.
  bool operator()(uint64_t text, int32_t length) {
    int64_t seconds;
    if (!plain::seconds_of_usual_word(text, length, seconds)) return false;
    ITEMS[I] = {static_cast<int32_t>(I), static_cast<int32_t>(seconds)};
    ++I;
    return true;
  }
};

// A routine of its own, so that what it keeps in registers does not grow
// INIT's frame, under which SORT recurses.
[[gnu::noinline]] RUNEND read_item_lines(TEXT& F, int32_t I, SHORTSTRING& MSTR) {
  ITEMLINES lines{I, N < NSIZE ? N : NSIZE, &B[0]};
  const bool read = rt::fast::read_short_lines(F, MSTR, lines);
  return {static_cast<int32_t>(lines.I), read};
}

}  // namespace

int32_t CONVERT(const SHORTSTRING& MSTR) {
  int32_t plain_seconds;
  if (plain::seconds(MSTR, plain_seconds)) return plain_seconds;
  // Seconds, minutes, then hours, each field's value times its weight
  // added to the total so far, and a step over the colon between fields
  // (if the text ran out, P only goes further below 1): the steps' own
  // products and sums in their order, the first two of which cannot fail.
  int32_t P = MSTR.LENGTH;
  int32_t total = 0;
  for (int32_t weight = 1; weight <= 3600; weight *= 60) {  // 1, 60, 3600
    if (weight > 1) P = CHECKED_SUB(P, 1);
    total = CHECKED_ADD(CHECKED_MUL(read_field(MSTR, P), weight), total);
  }
  return total;
}

void INIT() {
  TEXT F;
  SHORTSTRING MSTR;
  ASSIGN(F, "input.txt");
  RESET(F);
  INT_IOCHECK();
  L = READ_SINT(F);
  general::READLN_END(F);
  INT_IOCHECK();
  L = CHECKED_MUL(L, 60);
  L2 = L / 2;
  N = READ_SINT(F);
  general::READLN_END(F);
  INT_IOCHECK();
  // Stops at 5011 by the range check, long before wrapping.
  for (int32_t I = 1; I <= N; ++I) {
    const RUNEND run = read_item_lines(F, I, MSTR);
    I = run.I;
    INT_IOCHECK();  // of the run's last statement
    if (I > N) break;
    // A line the run did not read, by the statements' general steps, which
    // read every line as the runs would.
    if (!run.READ) general::READ_STRING(F, MSTR, SHORTSTRING_CAPACITY);
    general::READLN_END(F);
    INT_IOCHECK();
    SOMETYPE& item = B[I];  // checked before the line is converted
    item.VALUE = CONVERT(MSTR);
    item.INDEX = I;
  }
  SORT(1, N);
  ANS = 0;
}
