// Reading text files: the buffer fill, numbers, lines and line skips.
#include "internal/text.hpp"

namespace rt {

namespace {

bool exhausted(const TEXTREC& t) {
  return t.CURSOR >= t.FILLED;
}

uint8_t peek(const TEXTREC& t) {
  return t.BUFFERREF[t.CURSOR];
}

// Consumes one byte and refills the buffer as soon as it runs out.
void NEXTCHAR(TEXTREC& t) {
  ++t.CURSOR;
  if (exhausted(t)) t.TRANSFERHOOK(t);
}

bool is_whitespace(uint8_t c) {
  return c == 9 || c == 10 || c == 13 || c == 32;
}

bool is_line_end(uint8_t c) {
  return c == 10 || c == 13;
}

// Whether a read may go on: nothing pending and the record open for reading.
bool readable(const TEXTREC& t) {
  if (INOUTRES != 0) return false;
  if (t.MODE == FMINPUT) return true;
  INOUTRES = t.MODE == FMOUTPUT ? IO_NOT_FOR_INPUT : IO_NOT_OPEN;
  return false;
}

using fast::HIGHS;
using fast::ONES;
using fast::word_at;

// The line-end bytes among the eight at `bytes`: each byte equal to 10 or 13
// leaves its top bit set. Borrows can only flag bytes above a true match, so
// the lowest flag is exact.
uint64_t line_ends_in_word(const uint8_t* bytes) {
  const uint64_t word = word_at(bytes);
  const uint64_t line_feeds = word ^ (ONES * 10);
  const uint64_t returns = word ^ (ONES * 13);
  return (((line_feeds - ONES) & ~line_feeds) | ((returns - ONES) & ~returns)) & HIGHS;
}

// The offset of the first line-end byte among count bytes, or count; eight
// bytes at a time.
int32_t line_end_offset(const uint8_t* bytes, int32_t count) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint64_t ends = line_ends_in_word(bytes + i);
    if (ends != 0) return i + __builtin_ctzll(ends) / 8;
  }
  while (i < count && !is_line_end(bytes[i]))
    ++i;
  return i;
}

// Skips whitespace, line ends included; false when the data ends first.
bool IGNORESPACES(TEXTREC& t) {
  while (!exhausted(t)) {
    if (!is_whitespace(peek(t))) return true;
    NEXTCHAR(t);
  }
  return false;
}

// Collects the run of non-whitespace bytes at the cursor, at most 255 of them;
// the byte that stops it stays unread.
void READNUMERIC(TEXTREC& t, SHORTSTRING& token) {
  while (!exhausted(t) && token.LENGTH < SHORTSTRING_CAPACITY && !is_whitespace(peek(t))) {
    token.CHARS[token.LENGTH++] = static_cast<char>(peek(t));
    NEXTCHAR(t);
  }
}

// The token of a number read: empty when the data ended before any byte.
// Returns false when only whitespace was left (no number, no error).
bool read_token(TEXTREC& t, SHORTSTRING& token) {
  token.LENGTH = 0;
  if (exhausted(t)) t.TRANSFERHOOK(t);
  if (exhausted(t)) return true;
  if (!IGNORESPACES(t)) return false;
  READNUMERIC(t, token);
  return true;
}

// A failed conversion is reported as 106 unless the buffer fill already left
// a platform error: that error is the cause and stays.
void invalid_number() {
  if (INOUTRES == 0) INOUTRES = IO_INVALID_NUMBER;
}

}  // namespace

void FILEREADFUNC(TEXTREC& t) {
  t.FILLED = DO_READ(t.HANDLE, reinterpret_cast<uint8_t*>(t.BUFFERREF), t.RECSIZE);
  t.CURSOR = 0;
}

int32_t READ_SINT(TEXTREC& t) {
  if (!readable(t)) return 0;
  SHORTSTRING token;
  if (!read_token(t, token)) return 0;
  int32_t value;
  if (!VALSIGNEDINT(token, value)) invalid_number();
  return value;
}

uint32_t READ_UINT(TEXTREC& t) {
  if (!readable(t)) return 0;
  SHORTSTRING token;
  if (!read_token(t, token)) return 0;
  uint32_t value;
  if (!VALUNSIGNEDINT(token, value)) invalid_number();
  return value;
}

// A line read by the general steps: the rest of a line that reaches past the
// buffer, a long one, or any read that may fail.
void general::READ_STRING(TEXTREC& t, SHORTSTRING& s, int32_t capacity) {
  s.LENGTH = 0;
  if (!readable(t)) return;
  if (capacity > SHORTSTRING_CAPACITY) capacity = SHORTSTRING_CAPACITY;
  int32_t length = 0;
  for (;;) {
    if (exhausted(t)) {
      t.TRANSFERHOOK(t);
      if (exhausted(t)) break;
    }
    // Copy up to the line end, the string's capacity or the buffer's end.
    const uint8_t* next = reinterpret_cast<const uint8_t*>(t.BUFFERREF) + t.CURSOR;
    const int32_t available = t.FILLED - t.CURSOR;
    const int32_t room = capacity - length;
    const int32_t count = line_end_offset(next, available < room ? available : room);
    __builtin_memcpy(s.CHARS + length, next, static_cast<size_t>(count));
    length += count;
    t.CURSOR += count;
    if (length == capacity || count < available) break;  // full, or a line end is next
  }
  s.LENGTH = static_cast<uint8_t>(length);
}

// A line end skipped by the general steps.
void general::READLN_END(TEXTREC& t) {
  if (!readable(t)) return;
  if (exhausted(t)) {
    t.TRANSFERHOOK(t);
    if (exhausted(t)) return;
  }
  for (;;) {
    const uint8_t c = t.BUFFERREF[t.CURSOR++];
    if (c == 10) return;
    if (exhausted(t)) {
      t.TRANSFERHOOK(t);
      if (exhausted(t)) return;
    }
    if (c == 13) {
      if (peek(t) == 10) ++t.CURSOR;
      return;
    }
  }
}

}  // namespace rt
