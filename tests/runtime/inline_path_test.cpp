// The inline line reads and writes against the general steps alone: the same
// strings, the same record state after every call, the same bytes written.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text_fixture.hpp"

namespace {

using namespace rt;

using InlinePathTest = texttest::TextFileTest;

// Texts built from line-shaped pieces, so that line ends fall everywhere in
// and around the 16-byte spans and the 256-byte blocks: durations, long runs,
// other control bytes, and every kind of line end.
std::string random_text(std::mt19937& random) {
  static const char* const pieces[] = {
      "0:04:36", "12", "", "x", "\t", "\x01", "\x0c", "abcdefghijklmno", "abcdefghijklmnop", ":"};
  static const char* const ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n", ""};
  std::string text;
  const int lines = static_cast<int>(random() % 120);
  for (int i = 0; i < lines; ++i) {
    const int parts = static_cast<int>(random() % 4);
    for (int p = 0; p < parts; ++p)
      text += pieces[random() % std::size(pieces)];
    if (random() % 50 == 0) text += std::string(random() % 300, 'y');
    text += ends[random() % std::size(ends)];
  }
  return text;
}

struct Snapshot {
  std::string line;
  int32_t cursor;
  int32_t filled;
  uint16_t result;
  bool operator==(const Snapshot&) const = default;
};

// The data handed out in pieces of random sizes, as a pipe may: a fill that
// comes back short is not the end, and the buffer past it holds stale bytes.
struct PipeSource {
  std::string text;
  size_t offset = 0;
  std::mt19937 sizes;
};
PipeSource pipe;

void fill_from_pipe(TEXTREC& t) {
  const size_t wanted = 1 + pipe.sizes() % static_cast<uint32_t>(t.RECSIZE);
  const size_t count = std::min(wanted, pipe.text.size() - pipe.offset);
  pipe.text.copy(reinterpret_cast<char*>(t.BUFFERREF), count, pipe.offset);
  pipe.offset += count;
  t.FILLED = static_cast<int32_t>(count);
  t.CURSOR = 0;
}

// Reads the whole text, a read statement at a time, with the inline paths or
// with the general steps alone; the capacity varies from read to read, by a
// fixed sequence, and so do the sizes of the pieces.
std::vector<Snapshot> read_all(TEXT& t, const std::string& text, uint32_t seed, bool general_only) {
  pipe = {text, 0, std::mt19937(seed)};
  t.TRANSFERHOOK = fill_from_pipe;
  t.CURSOR = 0;
  t.FILLED = 0;
  std::vector<Snapshot> reads;
  const int32_t capacities[] = {255, 255, 255, 15, 16, 17, 1, 255, 0, 255};
  for (int i = 0; i < 400; ++i) {
    SHORTSTRING s{};
    const int32_t capacity = capacities[i % std::size(capacities)];
    if (general_only) {
      general::READ_STRING(t, s, capacity);
      general::READLN_END(t);
    } else {
      READ_STRING(t, s, capacity);
      READLN_END(t);
    }
    reads.push_back({std::string(s.CHARS, s.LENGTH), t.CURSOR, t.FILLED, INOUTRES});
  }
  return reads;
}

TEST_F(InlinePathTest, LineReadsMatchTheGeneralSteps) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string text = random_text(random);
    const uint32_t seed = random();
    SCOPED_TRACE(testing::Message() << "round " << round);
    open_reading("");
    // The buffer starts out full of line ends, which no read may take for data.
    std::fill(std::begin(t.BUFFER), std::end(t.BUFFER), '\n');
    const std::vector<Snapshot> inline_reads = read_all(t, text, seed, false);
    std::fill(std::begin(t.BUFFER), std::end(t.BUFFER), '\n');
    const std::vector<Snapshot> general_reads = read_all(t, text, seed, true);
    ASSERT_EQ(inline_reads.size(), general_reads.size());
    for (size_t i = 0; i < inline_reads.size(); ++i)
      ASSERT_EQ(inline_reads[i], general_reads[i]) << "read " << i;
  }
}

// Numbers of one digit and others, widths, and line ends, into a file.
void write_all(TEXT& t, const std::vector<int32_t>& values, bool general_only) {
  for (size_t i = 0; i < values.size(); ++i) {
    const int32_t width = i % 7 == 0 ? 3 : static_cast<int32_t>(i % 2);
    if (general_only) {
      general::WRITE_SINT(width, t, values[i]);
      if (i % 3 != 1) general::WRITELN_END(t);
    } else {
      WRITE_SINT(width, t, values[i]);
      if (i % 3 != 1) WRITELN_END(t);
    }
  }
}

TEST_F(InlinePathTest, NumberAndLineEndWritesMatchTheGeneralSteps) {
  std::mt19937 random(11);
  for (int round = 0; round < 50; ++round) {
    std::vector<int32_t> values;
    const int count = static_cast<int>(random() % 600);
    for (int i = 0; i < count; ++i) {
      const uint32_t kind = random() % 8;
      values.push_back(kind < 5   ? static_cast<int32_t>(random() % 10)
                       : kind < 7 ? static_cast<int32_t>(random() % 200) - 100
                                  : static_cast<int32_t>(random()));
    }
    SCOPED_TRACE(testing::Message() << "round " << round);
    open_writing();
    write_all(t, values, false);
    close_quietly();
    const std::string inline_bytes = written();
    open_writing();
    write_all(t, values, true);
    close_quietly();
    ASSERT_EQ(inline_bytes, written());
  }
}

// A pending result, or a record not open for the operation, leaves every
// inline path to the general steps, which set or keep the result.
TEST_F(InlinePathTest, PendingResultsAndWrongModesTakeTheGeneralSteps) {
  open_reading("12\r\n");
  INOUTRES = 0;
  WRITE_SINT(0, t, 5);
  EXPECT_EQ(INOUTRES, IO_NOT_FOR_OUTPUT);
  INOUTRES = 0;
  WRITELN_END(t);
  EXPECT_EQ(INOUTRES, IO_NOT_FOR_OUTPUT);
  INOUTRES = 0;
  open_writing();
  SHORTSTRING s{};
  READ_STRING(t, s, SHORTSTRING_CAPACITY);
  EXPECT_EQ(INOUTRES, IO_NOT_FOR_INPUT);
  INOUTRES = 0;
  READLN_END(t);
  EXPECT_EQ(INOUTRES, IO_NOT_FOR_INPUT);
  INOUTRES = 159;
  const int32_t cursor = t.CURSOR;
  WRITE_SINT(0, t, 1);
  WRITELN_END(t);
  EXPECT_EQ(t.CURSOR, cursor);
  EXPECT_EQ(INOUTRES, 159);
  INOUTRES = 0;
}

}  // namespace
