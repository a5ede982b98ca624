// Writing text files: the drain, the buffer, numbers, strings and line ends.
#include "internal/text.hpp"

namespace rt {

namespace {

// Whether a write may go on: nothing pending and the record open for writing.
bool writable(const TEXTREC& t) {
  if (INOUTRES != 0) return false;
  if (t.MODE == FMOUTPUT) return true;
  INOUTRES = t.MODE == FMINPUT ? IO_NOT_FOR_OUTPUT : IO_NOT_OPEN;
  return false;
}

// Puts bytes into the buffer; the buffer is drained only when it is full and
// more bytes follow, so a buffer filled exactly waits for the next write.
[[gnu::noinline]] void WRITEBUFFER_SPILL(TEXTREC& t, const uint8_t* bytes, int32_t count) {
  while (count > t.RECSIZE - t.CURSOR) {
    const int32_t free = t.RECSIZE - t.CURSOR;
    __builtin_memcpy(t.BUFFERREF + t.CURSOR, bytes, static_cast<size_t>(free));
    bytes += free;
    count -= free;
    t.CURSOR = t.RECSIZE;
    t.TRANSFERHOOK(t);  // a failed drain drops its bytes; the copying goes on
  }
  __builtin_memcpy(t.BUFFERREF + t.CURSOR, bytes, static_cast<size_t>(count));
  t.CURSOR += count;
}

// The common case, inline: the bytes fit, and they are few (a number, a line
// end), so a plain loop beats a call.
[[gnu::always_inline]] inline void WRITEBUFFER(TEXTREC& t, const uint8_t* bytes, int32_t count) {
  if (count > t.RECSIZE - t.CURSOR) {
    WRITEBUFFER_SPILL(t, bytes, count);
    return;
  }
  BUFFERBYTE* destination = t.BUFFERREF + t.CURSOR;
  for (int32_t i = 0; i < count; ++i)
    destination[i] = bytes[i];
  t.CURSOR += count;
}

void WRITEBLANKS(TEXTREC& t, int32_t count) {
  static constexpr uint8_t blanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                         ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  for (; count > 16; count -= 16)
    WRITEBUFFER(t, blanks, 16);
  WRITEBUFFER(t, blanks, count);
}

// The decimal text of a value: no plus sign, no leading zeros.
void INT_STR(int32_t value, SHORTSTRING& s) {
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  const int32_t first_digit = value < 0 ? 1 : 0;
  int32_t digits = 1;
  for (uint32_t rest = magnitude; rest >= 10; rest /= 10)
    ++digits;
  s.LENGTH = static_cast<uint8_t>(first_digit + digits);
  if (value < 0) s.CHARS[0] = '-';
  for (int32_t i = first_digit + digits - 1; i >= first_digit; --i) {
    s.CHARS[i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
}

// A string write: blanks up to the width, then the characters. Inline in both
// the string and the number write.
[[gnu::always_inline]] inline void write_text(int32_t width, TEXTREC& t, const char* chars,
                                              int32_t length) {
  if (!writable(t)) return;
  if (width > length) WRITEBLANKS(t, width - length);
  WRITEBUFFER(t, reinterpret_cast<const uint8_t*>(chars), length);
}

}  // namespace

void FILEWRITEFUNC(TEXTREC& t) {
  const int32_t written = DO_WRITE(t.HANDLE, reinterpret_cast<const uint8_t*>(t.BUFFERREF), t.CURSOR);
  if (written != t.CURSOR) INOUTRES = IO_DISK_WRITE;
  t.CURSOR = 0;  // bytes that were not written are dropped
}

void WRITE_STR(int32_t width, TEXTREC& t, const SHORTSTRING& s) {
  write_text(width, t, s.CHARS, s.LENGTH);
}

// A number written by the general steps.
void general::WRITE_SINT(int32_t width, TEXTREC& t, int32_t value) {
  if (INOUTRES != 0) return;
  SHORTSTRING text;
  INT_STR(value, text);
  write_text(width, t, text.CHARS, text.LENGTH);
}

// A line end written by the general steps, then the flush of a device.
void general::WRITELN_END(TEXTREC& t) {
  if (!writable(t)) return;
  WRITEBUFFER(t, EOL, sizeof EOL);
  if (t.FLUSHHOOK != nullptr) t.FLUSHHOOK(t);
}

void WRITE_END(TEXTREC& t) {
  if (t.FLUSHHOOK != nullptr) t.FLUSHHOOK(t);
}

}  // namespace rt
