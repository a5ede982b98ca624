// Line statements whose lines are only passed over, a buffer at a time: the
// line ends in the data are counted in words or vectors rather than found
// one by one.
#include "internal/text.hpp"
#include "runtime/text_lines.hpp"

namespace rt::fast {

namespace {

// Just past the `count`-th line end from `cursor`, all of whose bytes are
// in the data.
int32_t after_line_ends(const uint8_t* bytes, int32_t cursor, uint32_t count) {
  for (; count > 0; --count) {
    while (bytes[cursor] != 10 && bytes[cursor] != 13)
      ++cursor;
    cursor += bytes[cursor] == 13 && bytes[cursor + 1] == 10 ? 2 : 1;
  }
  return cursor;
}

// Just past the last line end before `filled` that has all its bytes there
// (so not a carriage return at the data's end), of which there is one.
int32_t after_last_line_end(const uint8_t* bytes, int32_t filled) {
  int32_t at = filled - 1;
  if (bytes[at] == 13) --at;
  while (bytes[at] != 10 && bytes[at] != 13)
    --at;
  return at + 1;
}

}  // namespace

// The line ends whose last byte is in the data: a line feed, or a carriage
// return followed by another byte. Their count is that of the places with
// a carriage return or a line feed after them, up to the last byte, and a
// line feed first (a place counts a line feed one place later).
uint32_t skip_lines(TEXTREC& t, SHORTSTRING& s, uint32_t count) {
  if (INOUTRES != 0 || t.MODE != FMINPUT) return 0;
  const uint8_t* const bytes = scan::bytes_of(t.BUFFERREF);
  uint32_t done = 0;
  int32_t length = 0;  // the characters of the line read on into this buffer
  for (;;) {
    int32_t cursor = t.CURSOR;
    const int32_t filled = t.FILLED;
    if (cursor < filled) {
      const int32_t last = filled - 1;
      const uint32_t ends = static_cast<uint32_t>(
          (cursor < last ? scan::line_end_pairs(t.BUFFERREF, cursor, last) : 0) +
          (bytes[cursor] == 10 ? 1 : 0));
      if (ends > count - done) {
        t.CURSOR = after_line_ends(bytes, cursor, count - done);
        return count;
      }
      if (ends > 0) {
        done += ends;
        cursor = after_last_line_end(bytes, filled);
        length = 0;
      }
    }
    t.CURSOR = cursor;
    if (done == count) return done;
    // The next statement's line, or the rest of the line in progress, runs
    // to the data's end, or a carriage return there ends it.
    if (cursor < filled && bytes[filled - 1] == 13) {
      // READLN_END takes the carriage return, fills the buffer and takes a
      // line feed that comes next.
      t.CURSOR = filled;
      t.TRANSFERHOOK(t);
      if (t.FILLED > 0 && bytes[0] == 10) t.CURSOR = 1;
      ++done;
      if (INOUTRES != 0) return done;
      length = 0;
      continue;
    }
    length += filled - cursor;
    t.CURSOR = filled;
    if (length >= SHORTSTRING_CAPACITY) {
      // READ_STRING has its 255 characters; the line skip goes on.
      general::READLN_END(t);
      return done + 1;
    }
    t.TRANSFERHOOK(t);  // READ_STRING's fill
    if (t.FILLED == 0) {
      // The data has ended: READ_STRING with it, and the line skip fills.
      general::READLN_END(t);
      return done + 1;
    }
    if (INOUTRES != 0) {
      general::READ_STRING_REST(t, s, length, SHORTSTRING_CAPACITY);
      general::READLN_END(t);
      return done + 1;
    }
  }
}

}  // namespace rt::fast
