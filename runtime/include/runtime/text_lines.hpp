// Runs of short lines read or written inside the buffer in one loop, with no
// call, so that the cursor and the record's fields stay in registers from
// one line to the next. Each line is one the inline paths would take, and
// gives what they give; the first line that is not is left untouched, for
// the caller to hand to the statements themselves.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

namespace rt::fast {

// What the caller does with a line a run offers it.
enum class LINE : uint8_t {
  LEAVE,      // leaves it unread and ends the run
  TAKE,       // takes it, and the run goes on
  TAKE_LAST,  // takes it and ends the run
};

// Lines read as READ_STRING (with a capacity of 16 or more) and READLN_END
// read them, one after another, while each lies in the buffer with its line
// end: its first byte below 14 comes within 16 bytes and is a line feed or a
// carriage return, and two bytes of data at least are left from there.
// `take(line, length)` gets the line's place in the buffer, where 16 bytes
// can be read (those from `length` on are not the line's), and says what
// becomes of it. No string is filled: the caller reads what it needs from
// the buffer.
template <typename TAKE>
[[gnu::always_inline]] inline void read_short_lines(TEXTREC& t, TAKE&& take) {
  constexpr int32_t SPAN = 16;
  if (INOUTRES != 0 || t.MODE != FMINPUT) return;
  const uint8_t* const bytes = reinterpret_cast<const uint8_t*>(t.BUFFERREF);
  const int32_t last = t.RECSIZE - SPAN;
  const int32_t last_end = t.FILLED - 2;  // the last place a line end may be
  int32_t cursor = t.CURSOR;
  while (cursor <= last) {
    const uint8_t* const next = bytes + cursor;
    const uint64_t first = word_at(next);
    int32_t end;
    if (const uint64_t low = control_bytes(first); low != 0) {
      end = first_flagged(low);
    } else if (const uint64_t high = control_bytes_in_word(next + 8); high != 0) {
      end = 8 + first_flagged(high);
    } else {
      break;
    }
    if (cursor + end > last_end) break;
    int32_t after;
    if (next[end] == 10) {
      after = end + 1;
    } else if (next[end] == 13) {
      after = next[end + 1] == 10 ? end + 2 : end + 1;
    } else {
      break;
    }
    const LINE what = take(next, end);
    if (what == LINE::LEAVE) break;
    cursor += after;
    if (what == LINE::TAKE_LAST) break;
  }
  t.CURSOR = cursor;
}

// Numbers of one digit written as WRITE_SINT with no width and WRITELN_END
// write them, a digit, a carriage return and a line feed each, from
// `values[0]` on, while the buffer has room for all three and the record has
// nothing to flush after a line. Stops after `count` numbers or before the
// first outside 0 to 9, and returns how many it wrote.
[[gnu::always_inline]] inline int32_t write_digit_lines(TEXTREC& t, const int32_t* values,
                                                        int32_t count) {
  if (INOUTRES != 0 || t.MODE != FMOUTPUT || t.FLUSHHOOK != nullptr) return 0;
  BUFFERBYTE* const bytes = t.BUFFERREF;
  const int32_t last = t.RECSIZE - 3;
  int32_t cursor = t.CURSOR;
  int32_t written = 0;
  for (; written < count && cursor <= last; ++written) {
    const uint32_t value = static_cast<uint32_t>(values[written]);
    if (value > 9) break;
    bytes[cursor] = static_cast<BUFFERBYTE>('0' + value);
    bytes[cursor + 1] = EOL[0];
    bytes[cursor + 2] = EOL[1];
    cursor += 3;
  }
  t.CURSOR = cursor;
  return written;
}

}  // namespace rt::fast
