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
// The statements' own writes are rare (the runs write the lines), so one
// copy serves them all.
[[gnu::noinline]] void WRITEBUFFER(TEXTREC& t, const uint8_t* bytes, int32_t count) {
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

void WRITEBLANKS(TEXTREC& t, int32_t count) {
  static constexpr uint8_t blanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                         ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  for (; count > 16; count -= 16)
    WRITEBUFFER(t, blanks, 16);
  WRITEBUFFER(t, blanks, count);
}

// The decimal text of a value: no plus sign, no leading zeros. The digits
// come last first, at the end of the string's room, and then move to its
// start.
void INT_STR(int32_t value, SHORTSTRING& s) {
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  char* const end = s.CHARS + SHORTSTRING_CAPACITY;
  char* first = end;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--first = '-';
  s.LENGTH = static_cast<uint8_t>(end - first);
  for (int32_t i = 0; i < s.LENGTH; ++i)
    s.CHARS[i] = first[i];
}

}  // namespace

void FILEWRITEFUNC(TEXTREC& t) {
  const int32_t written =
      DO_WRITE(t.HANDLE, reinterpret_cast<const uint8_t*>(t.BUFFERREF), t.CURSOR);
  if (written != t.CURSOR) INOUTRES = IO_DISK_WRITE;
  t.CURSOR = 0;  // bytes that were not written are dropped
}

// A string write: blanks up to the width, then the characters.
void WRITE_STR(int32_t width, TEXTREC& t, const SHORTSTRING& s) {
  if (!writable(t)) return;
  if (width > s.LENGTH) WRITEBLANKS(t, width - s.LENGTH);
  WRITEBUFFER(t, reinterpret_cast<const uint8_t*>(s.CHARS), s.LENGTH);
}

// A number written by the general steps: its text, by WRITE_STR.
void general::WRITE_SINT(int32_t width, TEXTREC& t, int32_t value) {
  if (INOUTRES != 0) return;
  SHORTSTRING text;
  INT_STR(value, text);
  WRITE_STR(width, t, text);
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
