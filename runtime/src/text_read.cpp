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
  READ_STRING_REST(t, s, 0, capacity < SHORTSTRING_CAPACITY ? capacity : SHORTSTRING_CAPACITY);
}

// A byte at a time: the runs take the short lines, so this takes what is
// left, rarely.
void general::READ_STRING_REST(TEXTREC& t, SHORTSTRING& s, int32_t length, int32_t capacity) {
  for (;;) {
    if (exhausted(t)) {
      t.TRANSFERHOOK(t);
      if (exhausted(t)) break;
    }
    // Copy up to the line end, the string's capacity or the buffer's end.
    while (length < capacity && !exhausted(t) && !is_line_end(peek(t)))
      s.CHARS[length++] = static_cast<char>(t.BUFFERREF[t.CURSOR++]);
    if (length == capacity || !exhausted(t)) break;  // full, or a line end is next
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
