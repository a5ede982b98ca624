// Runs of short lines read or written inside the buffer in one loop, with no
// call, so that the cursor and the record's fields stay in registers from
// one line to the next, and the fill or drain where a line crosses the
// buffer's end made as the statements make it. Each line is one the
// statements' general steps would read or write the same way; what a run
// cannot take exactly it leaves to them. The loops are written once, over
// the primitives of runtime/text_scan.hpp.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"
#include "runtime/text_scan.hpp"

namespace rt::fast {

// The 8 bytes from `offset`, the first lowest; those past the buffer's end
// are zero.
[[gnu::always_inline]] inline uint64_t line_word(const BUFFERBYTE* buffer, int32_t offset) {
  constexpr int32_t LAST = TEXTRECBUFSIZE - 8;
  if (offset <= LAST) return scan::buffer_word(buffer, offset);
  return scan::buffer_word(buffer, LAST) >> (8 * (offset - LAST));
}

// The first `count` bytes of a word (0 to 8), the rest cleared.
[[gnu::always_inline]] inline uint64_t first_bytes(uint64_t word, int32_t count) {
  return count < 8 ? word & ((uint64_t{1} << (8 * count)) - 1) : word;
}

// Lines read as READ_STRING (capacity 255) and READLN_END read them, one
// statement after another, while `lines.more()`:
// - `lines.run(buffer, cursor, filled)` first takes the lines it knows by
//   their bytes, whole in the data from `cursor`, and returns the cursor
//   after them; `lines.known(word, ninth)` takes one whose 9 bytes, the
//   first 8 as a word (the first lowest), reach past the buffer's end, and
//   which it knows by them as 7 characters, a carriage return and a line
//   feed;
// - then each line of at most 8 characters whose line end comes in the
//   data, or, when the data ends within its first 8 bytes, after the fill
//   that READ_STRING makes, goes to `lines(text, length)`, its characters
//   the lowest bytes of `text` (those past `length` are not the line's),
//   which takes it (true) or not; a carriage return that ends the data is
//   followed by the fill that READLN_END makes.
// Returns false between two lines, the record at the next (after a failed
// fill, the result pending is the last line's); or true with a line read
// into `s` as READ_STRING leaves it, READLN_END yet to come: one `lines`
// did not take, or one that runs on, or meets a failure, after the fill,
// whose reading the general steps go on with. A longer line, in the
// buffer, is left to the statements.
template <typename LINES>
[[gnu::always_inline]] inline bool read_short_lines(TEXTREC& t, SHORTSTRING& s, LINES&& lines) {
  if (INOUTRES != 0 || t.MODE != FMINPUT) return false;
  const BUFFERBYTE* const buffer = t.BUFFERREF;
  const uint8_t* const bytes = scan::bytes_of(buffer);
  int32_t cursor = t.CURSOR;
  int32_t filled = t.FILLED;
  const scan::LINE_ENDS line_ends;
  // Whether `lines.run` is asked for the next lines: not after it took
  // none, until the next fill (a file of other lines costs it little).
  bool run = true;
  for (;;) {
    if (run) {
      const int32_t from = cursor;
      cursor = lines.run(buffer, cursor, filled);
      run = cursor != from;
    }
    if (!lines.more()) break;
    const int32_t left = filled - cursor;
    const int32_t span = left < 9 ? left : 9;
    int32_t length = left > 0 ? line_ends.first(buffer, cursor, span) : 0;
    uint64_t text;
    int32_t end;  // the place of the line's end in the buffer
    if (length < span) {
      text = line_word(buffer, cursor);
      end = cursor + length;
    } else {
      if (left > 8) break;
      // READ_STRING copies the bytes left and fills the buffer.
      text = left > 0 ? first_bytes(line_word(buffer, cursor), left) : 0;
      t.CURSOR = filled;
      t.TRANSFERHOOK(t);
      filled = t.FILLED;
      run = true;
      if (left < 8 && INOUTRES == 0) {
        const uint64_t whole = text | line_word(buffer, 0) << (8 * left);
        // A line whose nine bytes the caller knows, and its line end.
        if (filled >= 9 - left && lines.known(whole, bytes[8 - left])) {
          cursor = 9 - left;
          continue;
        }
      }
      const int32_t room = filled < 9 - left ? filled : 9 - left;
      end = INOUTRES == 0 && filled > 0 ? line_ends.first(buffer, 0, room) : room;
      if (end == room) {
        // The data has ended, and so has the line; or it runs on, or the
        // fill failed, and the general steps go on with its reading.
        __builtin_memcpy(s.CHARS, &text, sizeof text);
        s.LENGTH = static_cast<uint8_t>(left);
        if (filled > 0) general::READ_STRING_REST(t, s, left, SHORTSTRING_CAPACITY);
        return true;
      }
      if (left < 8) text |= line_word(buffer, 0) << (8 * left);
      length = left + end;
    }
    if (!lines(text, length)) {
      __builtin_memcpy(s.CHARS, &text, sizeof text);
      s.LENGTH = static_cast<uint8_t>(length);
      t.CURSOR = end;
      return true;
    }
    cursor = end + 1;
    if (bytes[end] == 13) {
      if (cursor < filled) {
        if (bytes[cursor] == 10) ++cursor;
      } else {
        // READLN_END's fill after the carriage return that ends the data,
        // and a line feed that comes first after it; a failure is the
        // statement's.
        t.CURSOR = cursor;
        t.TRANSFERHOOK(t);
        filled = t.FILLED;
        cursor = filled > 0 && bytes[0] == 10 ? 1 : 0;
        run = true;
        if (INOUTRES != 0) break;
      }
    }
  }
  t.CURSOR = cursor;
  return false;
}

// Numbers of one digit written as WRITE_SINT with no width and WRITELN_END
// write them, a digit, a carriage return and a line feed each, from
// `values[0]` on, into a record that has nothing to flush after a line:
// eight at a time where the buffer has room for them (and, if the
// processor's rendering needs it, from a word's start), and one at a time
// elsewhere, the one that reaches past the buffer's end with the drains
// the statements make. Stops after `count` numbers, before the first
// outside 0 to 9, or after a line whose drain failed (its statement's check
// then raises), and returns how many it wrote.
[[gnu::always_inline]] inline int32_t write_digit_lines(TEXTREC& t, const int32_t* values,
                                                        int32_t count) {
  if (INOUTRES != 0 || t.MODE != FMOUTPUT || t.FLUSHHOOK != nullptr) return 0;
  BUFFERBYTE* const bytes = t.BUFFERREF;
  BUFFERBYTE* const full = bytes + t.RECSIZE;
  BUFFERBYTE* at = bytes + t.CURSOR;
  const int32_t* value = values;
  const int32_t* const last = values + count;
  // Whether eight lines may go at once from `at`.
  const auto eight_fit = [&] {
    return (!scan::ALIGNED_WORDS || (reinterpret_cast<uintptr_t>(at) & 7) == 0) && full - at > 24 &&
           last - value >= 8;
  };
  for (;;) {
    if (eight_fit()) {
      // As many steps as the buffer and the values have room for.
      const intptr_t room = (full - at - 1) / 24;
      const intptr_t steps = room < (last - value) / 8 ? room : (last - value) / 8;
      for (BUFFERBYTE* const stop = at + 24 * steps; at != stop && scan::put_digit_lines(value, at);
           at += 24) {
        value += 8;
      }
    }
    // One line at a time, to where eight fit again, or across the buffer's end.
    do {
      if (value == last) goto done;
      const uint32_t digit = static_cast<uint32_t>(*value);
      if (digit > 9) goto done;
      ++value;
      uint32_t line = '0' + digit + (uint32_t{EOL[0]} << 8) + (uint32_t{EOL[1]} << 16);
      if (full - at >= 3) {
        at[0] = static_cast<BUFFERBYTE>(line);
        at[1] = EOL[0];
        at[2] = EOL[1];
        at += 3;
        continue;
      }
      // A byte goes into a full buffer only after it is drained. A failed
      // drain leaves the line end of the digit's statement unwritten, but
      // not the rest of the line end whose drain failed.
      for (int32_t i = 0; i < 3; ++i, line >>= 8) {
        if (i == 1 && INOUTRES != 0) break;  // WRITELN_END finds the result pending
        if (at == full) {
          t.CURSOR = t.RECSIZE;
          t.TRANSFERHOOK(t);
          at = bytes + t.CURSOR;
        }
        *at++ = static_cast<BUFFERBYTE>(line);
      }
      if (INOUTRES != 0) goto done;
    } while (!eight_fit());
  }
done:
  t.CURSOR = static_cast<int32_t>(at - bytes);
  return static_cast<int32_t>(value - values);
}

// Up to `count` line statements, READ_STRING into `s` (capacity 255) and
// READLN_END, taken a buffer at a time: the line ends in the data counted,
// the record moved past the last, and the fill where a line crosses the
// buffer's end made as the statements make it. Returns how many statements
// it made; after the last, a pending result is its statement's. `s` holds
// no line it passes over; the caller's statements leave the last line in it.
uint32_t skip_lines(TEXTREC& t, SHORTSTRING& s, uint32_t count);

}  // namespace rt::fast
