// Fuzz target: line reads, line skips, runs of lines in the buffer, line
// statements passed over a buffer at a time, and number reads over arbitrary
// bytes, fed to a record through its transfer hook in
// chunks of varying size, so refills fall at every position. The first
// input byte picks the chunk sizes: 255 gives whole 256-byte blocks, k below
// it random sizes from 1 to k + 1. Each pass is compared step by step with a
// model of the rules: what each read returns, where in the data each
// operation leaves the record, and the pending I/O result.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "internal/text.hpp"
#include "reference.hpp"
#include "runtime/text_lines.hpp"

namespace {

using fuzzref::require;

struct Feed {
  const uint8_t* data;
  size_t size;
  size_t delivered;  // bytes handed to the record so far
  uint8_t spread;    // the chunk-size byte
  uint32_t random;
  int end_calls;  // fills at the end of the data during one operation
};
Feed feed;

void fill(rt::TEXTREC& t) {
  require(t.CURSOR >= t.FILLED);  // a fill must never drop unread bytes
  size_t chunk = static_cast<size_t>(t.RECSIZE);
  if (feed.spread != 255) {
    feed.random = feed.random * 1103515245u + 12345u;
    chunk = 1 + (feed.random >> 8) % (feed.spread + 1u);
  }
  if (chunk > feed.size - feed.delivered) chunk = feed.size - feed.delivered;
  for (size_t i = 0; i < chunk; ++i)
    t.BUFFER[i] = feed.data[feed.delivered + i];
  feed.delivered += chunk;
  t.FILLED = static_cast<int32_t>(chunk);
  t.CURSOR = 0;
  // At the end each operation needs a fill or two; many more means a loop.
  if (chunk == 0) require(++feed.end_calls <= 8);
}

// Binds t to the data, open for reading through the hook.
void open(rt::TEXTREC& t, const uint8_t* data, size_t size, uint8_t spread) {
  feed = Feed{data, size, 0, spread, spread, 0};
  rt::INOUTRES = 0;
  rt::ASSIGN(t, "");
  t.MODE = rt::FMINPUT;
  t.TRANSFERHOOK = fill;
}

// The offset in the data of the next byte the record hands out.
size_t position(const rt::TEXTREC& t) {
  require(t.CURSOR >= 0 && t.CURSOR <= t.FILLED && t.FILLED <= t.RECSIZE);
  feed.end_calls = 0;
  return feed.delivered - static_cast<size_t>(t.FILLED - t.CURSOR);
}

bool is_line_end(uint8_t c) {
  return c == 10 || c == 13;
}
bool is_whitespace(uint8_t c) {
  return c == 9 || c == 32 || is_line_end(c);
}

// Where the line that has reached p ends: past a line feed, a carriage return
// and line feed, or a lone carriage return; the data's end if none follows.
size_t after_line_end(const uint8_t* d, size_t n, size_t p) {
  while (p < n && !is_line_end(d[p]))
    ++p;
  if (p == n) return n;
  return d[p] == 13 && p + 1 < n && d[p + 1] == 10 ? p + 2 : p + 1;
}

// READ_STRING(255) and READLN_END until the data is used up: each string is
// its line's first 255 bytes, and the skip leaves the record at the next line.
void lines(const uint8_t* d, size_t n, uint8_t spread) {
  rt::TEXTREC t;
  open(t, d, n, spread);
  rt::SHORTSTRING s;
  for (size_t p = 0; p < n;) {
    size_t length = 0;
    while (p + length < n && !is_line_end(d[p + length]))
      ++length;
    if (length > 255) length = 255;
    rt::READ_STRING(t, s, rt::SHORTSTRING_CAPACITY);
    require(s.LENGTH == length && position(t) == p + length);
    for (size_t i = 0; i < length; ++i)
      require(static_cast<uint8_t>(s.CHARS[i]) == d[p + i]);
    rt::READLN_END(t);
    p = after_line_end(d, n, p);
    require(position(t) == p && rt::INOUTRES == 0);
  }
  // At the end: an empty line, nothing pending, nothing consumed.
  rt::READ_STRING(t, s, rt::SHORTSTRING_CAPACITY);
  rt::READLN_END(t);
  require(s.LENGTH == 0 && position(t) == n && rt::INOUTRES == 0);
}

// The same lines taken in runs wherever a run takes them, and by the
// statements elsewhere: a line a run takes is the next line, whole, and the
// run leaves the record at the line after it; a line it leaves in the string
// is the next line's first 255 bytes, and the line skip goes on from there.
void runs(const uint8_t* d, size_t n, uint8_t spread) {
  rt::TEXTREC t;
  open(t, d, n, spread);
  rt::SHORTSTRING s;
  size_t p = 0;
  struct Taker {
    const uint8_t* d;
    size_t n;
    size_t& p;
    bool more() const { return p < n; }
    int32_t run(const rt::BUFFERBYTE*, int32_t cursor, int32_t) { return cursor; }
    // Seven bytes that are no line end, a carriage return and a line feed:
    // the next nine bytes of the data, and the next line.
    bool known(uint64_t word, uint32_t ninth) {
      for (int32_t i = 0; i < 7; ++i)
        if (is_line_end(static_cast<uint8_t>(word >> (8 * i)))) return false;
      if ((word >> 56) != 13 || ninth != 10) return false;
      require(p + 9 <= n);
      for (size_t i = 0; i < 8; ++i)
        require(static_cast<uint8_t>(word >> (8 * i)) == d[p + i]);
      require(d[p + 8] == 10);
      p += 9;
      return true;
    }
    bool operator()(uint64_t text, int32_t length) {
      require(length >= 0 && length <= 8 && p + static_cast<size_t>(length) < n);
      for (int32_t i = 0; i < length; ++i)
        require(static_cast<uint8_t>(text >> (8 * i)) == d[p + static_cast<size_t>(i)]);
      require(is_line_end(d[p + static_cast<size_t>(length)]));
      // Taken unless its first byte is odd: those go to the string.
      if (length > 0 && (d[p] & 1) != 0) return false;
      p = after_line_end(d, n, p);
      return true;
    }
  };
  for (size_t statements = 0; p < n; ++statements) {
    require(statements <= n);
    Taker taker{d, n, p};
    const bool read = rt::fast::read_short_lines(t, s, taker);
    require(rt::INOUTRES == 0);
    if (!read) {
      require(position(t) == p);
      if (p == n) break;
      rt::READ_STRING(t, s, rt::SHORTSTRING_CAPACITY);
    }
    size_t length = 0;
    while (p + length < n && !is_line_end(d[p + length]))
      ++length;
    if (length > 255) length = 255;
    require(s.LENGTH == length && position(t) == p + length);
    for (size_t i = 0; i < length; ++i)
      require(static_cast<uint8_t>(s.CHARS[i]) == d[p + i]);
    rt::READLN_END(t);
    p = after_line_end(d, n, p);
    require(position(t) == p && rt::INOUTRES == 0);
  }
}

// Line statements passed over in numbers taken from the data itself: the
// record is left at the line after the last statement skipped, each
// statement past the data's end counts, and nothing is pending.
void skips(const uint8_t* d, size_t n, uint8_t spread) {
  rt::TEXTREC t;
  open(t, d, n, spread);
  rt::SHORTSTRING s;
  size_t p = 0;
  for (size_t round = 0; round < 64 && p < n; ++round) {
    const uint32_t count = d[(round * 7) % n] % 32;
    const uint32_t done = rt::fast::skip_lines(t, s, count);
    require(done <= count && rt::INOUTRES == 0);
    for (uint32_t i = 0; i < done; ++i)
      p = after_line_end(d, n, p);
    require(position(t) == p);
    rt::READ_STRING(t, s, rt::SHORTSTRING_CAPACITY);
    rt::READLN_END(t);
    p = after_line_end(d, n, p);
    require(position(t) == p && rt::INOUTRES == 0);
  }
}

// READ_SINT or READ_UINT, then READLN_END, until a read fails. Whitespace
// before a number is passed over, the token is the following run of at most
// 255 other bytes, and no number left at all is 106 unless only whitespace
// remained.
void numbers(const uint8_t* d, size_t n, uint8_t spread, bool is_signed) {
  rt::TEXTREC t;
  open(t, d, n, spread);
  size_t p = 0;
  for (size_t statements = 0; rt::INOUTRES == 0; ++statements) {
    require(statements <= n + 1);
    bool valid = p < n;
    int64_t expected = 0;
    if (valid) {
      while (p < n && is_whitespace(d[p]))
        ++p;
      size_t length = 0;
      while (p + length < n && length < 255 && !is_whitespace(d[p + length]))
        ++length;
      if (p < n) valid = fuzzref::number(d + p, length, is_signed, expected);
      p += length;
    }
    const int64_t value = is_signed ? int64_t{rt::READ_SINT(t)} : int64_t{rt::READ_UINT(t)};
    require(value == expected && position(t) == p);
    require(rt::INOUTRES == (valid ? 0 : rt::IO_INVALID_NUMBER));
    rt::READLN_END(t);
    if (valid && p < n) p = after_line_end(d, n, p);
    require(position(t) == p);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  lines(data + 1, size - 1, data[0]);
  runs(data + 1, size - 1, data[0]);
  skips(data + 1, size - 1, data[0]);
  numbers(data + 1, size - 1, data[0], true);
  numbers(data + 1, size - 1, data[0], false);
  rt::INOUTRES = 0;
  return 0;
}
