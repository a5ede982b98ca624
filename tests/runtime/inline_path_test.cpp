// The inline line reads and writes, and the runs of lines taken in the
// buffer, against the general steps alone: the same strings, the same record
// state after every call, the same bytes written.
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/text_lines.hpp"
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

// The record's state after a read.
struct Snapshot {
  int32_t cursor;
  int32_t filled;
  uint16_t result;
  size_t delivered;  // the bytes the fills have handed over
  bool operator==(const Snapshot&) const = default;
};

// A line read, and the state after it where that is known.
struct Line {
  std::string text;
  bool state_known;
  Snapshot state;
};

// The data handed out in pieces of random sizes, as a pipe may: a fill that
// comes back short is not the end, and the buffer past it holds stale bytes.
// In some texts one fill fails after handing over its piece, as a read
// failing after a partial transfer leaves it; the statement that meets it
// is the last.
struct PipeSource {
  std::string text;
  size_t offset = 0;
  std::mt19937 sizes;
  uint32_t failing_fill = 0;  // 1 for the first, 0 for none
};
PipeSource pipe;

void fill_from_pipe(TEXTREC& t);

void open_pipe(TEXT& t, const std::string& text, uint32_t seed) {
  pipe = {text, 0, std::mt19937(seed), seed % 3 == 0 ? 1 + seed / 3 % 40 : 0};
  t.TRANSFERHOOK = fill_from_pipe;
  t.CURSOR = 0;
  t.FILLED = 0;
}

void fill_from_pipe(TEXTREC& t) {
  const size_t wanted = 1 + pipe.sizes() % static_cast<uint32_t>(t.RECSIZE);
  const size_t count = std::min(wanted, pipe.text.size() - pipe.offset);
  pipe.text.copy(reinterpret_cast<char*>(t.BUFFERREF), count, pipe.offset);
  pipe.offset += count;
  t.FILLED = static_cast<int32_t>(count);
  t.CURSOR = 0;
  if (--pipe.failing_fill == 0) INOUTRES = 159;
}

// The record's state after a statement.
Snapshot state_of(const TEXT& t) {
  return {t.CURSOR, t.FILLED, INOUTRES, pipe.offset};
}

// Reads the whole text, a read statement at a time, with the inline paths or
// with the general steps alone; the capacity varies from read to read, by a
// fixed sequence, and so do the sizes of the pieces.
std::vector<Line> read_all(TEXT& t, const std::string& text, uint32_t seed, bool general_only) {
  open_pipe(t, text, seed);
  std::vector<Line> reads;
  const int32_t capacities[] = {255, 255, 255, 15, 16, 17, 1, 255, 0, 255};
  for (int i = 0; i < 400 && INOUTRES == 0; ++i) {
    SHORTSTRING s{};
    const int32_t capacity = capacities[i % std::size(capacities)];
    if (general_only) {
      general::READ_STRING(t, s, capacity);
      general::READLN_END(t);
    } else {
      READ_STRING(t, s, capacity);
      READLN_END(t);
    }
    reads.push_back({std::string(s.CHARS, s.LENGTH), true, state_of(t)});
  }
  return reads;
}

using ReadAll = std::vector<Line> (*)(TEXT&, const std::string&, uint32_t, bool);

// Random texts read by `read` with its fast paths and with the general steps
// alone, which must give the same lines and, where both know it, the same
// state. The buffer starts out full of line ends, which no read may take for
// data.
void expect_reads_match(TEXT& t, const std::function<void()>& open, uint32_t seed, ReadAll read) {
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    const std::string text = random_text(random);
    const uint32_t pieces = random();
    SCOPED_TRACE(testing::Message() << "round " << round);
    std::vector<Line> reads[2];
    for (const bool general_only : {false, true}) {
      open();
      std::fill(std::begin(t.BUFFER), std::end(t.BUFFER), '\n');
      reads[general_only] = read(t, text, pieces, general_only);
      INOUTRES = 0;
    }
    ASSERT_EQ(reads[0].size(), reads[1].size());
    for (size_t i = 0; i < reads[0].size(); ++i) {
      const Line& fast = reads[0][i];
      const Line& general = reads[1][i];
      ASSERT_TRUE(general.state_known);
      ASSERT_EQ(fast.text, general.text) << "line " << i;
      if (fast.state_known) {
        ASSERT_EQ(fast.state, general.state) << "line " << i;
      }
    }
  }
}

TEST_F(InlinePathTest, LineReadsMatchTheGeneralSteps) {
  expect_reads_match(
      t, [this] { open_reading(""); }, 7, read_all);
}

// The lines of the whole text, read by the general steps alone, or by runs
// of lines in the buffer, where a seeded choice takes each short line,
// leaves it in the string, or ends the run before it; the state is known
// after a statement and at a run's end.
std::vector<Line> read_lines(TEXT& t, const std::string& text, uint32_t seed, bool general_only) {
  open_pipe(t, text, seed);
  std::mt19937 choice(seed);
  std::vector<Line> lines;
  struct Taker {
    std::vector<Line>& lines;
    std::mt19937& choice;
    bool ended = false;
    bool more() const { return !ended && lines.size() < 300; }
    int32_t run(const BUFFERBYTE*, int32_t cursor, int32_t) { return cursor; }
    // One of the random text's lines, as it reaches past a buffer's end.
    bool known(uint64_t word, uint32_t ninth) {
      if (word != 0x0D36333A34303A30u || ninth != '\n') return false;
      lines.push_back({"0:04:36", false, {}});
      return true;
    }
    bool operator()(uint64_t text, int32_t length) {
      EXPECT_TRUE(length >= 0 && length <= 8);
      const uint32_t what = choice() % 16;
      ended = what < 2;
      if (what < 4) return false;
      std::string line(8, '\0');
      for (size_t i = 0; i < 8; ++i)
        line[i] = static_cast<char>(text >> (8 * i));
      lines.push_back({line.substr(0, static_cast<size_t>(length)), false, {}});
      return true;
    }
  };
  SHORTSTRING s{};
  while (lines.size() < 300 && INOUTRES == 0) {
    bool read = false;
    if (!general_only) {
      const size_t before = lines.size();
      Taker taker{lines, choice};
      read = fast::read_short_lines(t, s, taker);
      if (!read && lines.size() > before) {
        lines.back().state_known = true;
        lines.back().state = state_of(t);
        continue;
      }
    }
    if (!read) general::READ_STRING(t, s, SHORTSTRING_CAPACITY);
    general::READLN_END(t);
    lines.push_back({std::string(s.CHARS, s.LENGTH), true, state_of(t)});
  }
  return lines;
}

TEST_F(InlinePathTest, RunsOfLinesReadAsTheGeneralSteps) {
  expect_reads_match(
      t, [this] { open_reading(""); }, 13, read_lines);
}

// The statements, passed over in numbers chosen by a seed, and read now and
// then: wherever the lines are skipped, the state after each statement that
// is read, and its string, are those of the general steps, and so is the
// state after a run of skips.
std::vector<Line> skip_lines(TEXT& t, const std::string& text, uint32_t seed, bool general_only) {
  open_pipe(t, text, seed);
  std::mt19937 choice(seed);
  std::vector<Line> lines;
  SHORTSTRING s{};
  while (lines.size() < 300 && INOUTRES == 0) {
    const uint32_t skipped = choice() % 40;
    uint32_t done = 0;
    if (!general_only) {
      done = fast::skip_lines(t, s, skipped);
      EXPECT_LE(done, skipped);
      for (uint32_t i = 0; i < done; ++i)
        lines.push_back({"", false, {}});
      if (done > 0) {
        lines.back().state_known = true;
        lines.back().state = state_of(t);
      }
    }
    for (; done < skipped && INOUTRES == 0; ++done) {
      general::READ_STRING(t, s, SHORTSTRING_CAPACITY);
      general::READLN_END(t);
      lines.push_back({"", true, state_of(t)});
    }
    if (INOUTRES != 0) break;
    READ_STRING(t, s, SHORTSTRING_CAPACITY);
    READLN_END(t);
    lines.push_back({std::string(s.CHARS, s.LENGTH), true, state_of(t)});
  }
  return lines;
}

TEST_F(InlinePathTest, SkippedLinesEndWhereTheGeneralStepsEnd) {
  expect_reads_match(
      t, [this] { open_reading(""); }, 19, skip_lines);
}

// A pending result, or a record not open for the operation, takes no line.
TEST_F(InlinePathTest, RunsTakeNothingFromARecordInTheWrongState) {
  struct TakeAll {
    bool more() const { return true; }
    int32_t run(const BUFFERBYTE*, int32_t cursor, int32_t) { return cursor; }
    bool known(uint64_t, uint32_t) { return true; }
    bool operator()(uint64_t, int32_t) { return true; }
  } take_all;
  SHORTSTRING s{};
  open_reading("1:00:00\r\n2:00:00\r\n3:00:00\r\n");
  EXPECT_EQ(read_line(), "1:00:00");
  const int32_t cursor = t.CURSOR;
  INOUTRES = 159;
  EXPECT_FALSE(fast::read_short_lines(t, s, take_all));
  EXPECT_EQ(fast::skip_lines(t, s, 2), 0u);
  EXPECT_EQ(t.CURSOR, cursor);
  INOUTRES = 0;
  EXPECT_EQ(fast::skip_lines(t, s, 1), 1u);
  EXPECT_EQ(read_line(), "3:00:00");
  const int32_t ones[] = {1, 1, 1};
  EXPECT_EQ(fast::write_digit_lines(t, ones, 3), 0);
  open_writing();
  EXPECT_FALSE(fast::read_short_lines(t, s, take_all));
  EXPECT_EQ(fast::skip_lines(t, s, 2), 0u);
  EXPECT_EQ(t.CURSOR, 0);
  INOUTRES = 159;
  EXPECT_EQ(fast::write_digit_lines(t, ones, 3), 0);
  INOUTRES = 0;
  EXPECT_EQ(fast::write_digit_lines(t, ones, 3), 3);
  EXPECT_EQ(t.CURSOR, 9);
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

// Halves as the answer writes them: runs of one-digit lines in the buffer,
// with the statements writing each number that ends a run, against the
// statements alone, up to the statement whose check would raise. The record
// is a disk file, one with a flush after every line, which the runs leave to
// the statements, or one whose drains go to memory, and one of them fails.
void write_halves(TEXT& t, const std::vector<int32_t>& values, bool general_only) {
  const int32_t count = static_cast<int32_t>(values.size());
  for (int32_t i = 0; i < count; ++i) {
    if (!general_only) i += fast::write_digit_lines(t, values.data() + i, count - i);
    if (i == count || INOUTRES != 0) break;
    general::WRITE_SINT(0, t, values[static_cast<size_t>(i)]);
    general::WRITELN_END(t);
    if (INOUTRES != 0) break;
  }
}

int flushes = 0;
void count_flush(TEXTREC&) {
  ++flushes;
}

std::string drained;
int drains_to_failure = 0;
void drain_to_memory(TEXTREC& t) {
  if (--drains_to_failure == 0) {
    INOUTRES = 101;  // none of the bytes taken
  } else {
    drained.append(reinterpret_cast<const char*>(t.BUFFERREF), static_cast<size_t>(t.CURSOR));
  }
  t.CURSOR = 0;
}

TEST_F(InlinePathTest, RunsOfDigitLinesWriteAsTheGeneralSteps) {
  std::mt19937 random(17);
  for (int round = 0; round < 60; ++round) {
    std::vector<int32_t> values;
    const int count = static_cast<int>(random() % 400);
    for (int i = 0; i < count; ++i) {
      const uint32_t kind = random() % 16;
      values.push_back(kind < 13   ? 1 + static_cast<int32_t>(random() % 2)
                       : kind < 14 ? static_cast<int32_t>(random() % 10)
                       : kind < 15 ? static_cast<int32_t>(random() % 30) - 10
                                   : INT32_MIN);
    }
    for (const int kind : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", kind " << kind);
      std::string tails[2];
      int flush_counts[2];
      Snapshot states[2];
      for (const bool general_only : {false, true}) {
        open_writing();
        flushes = 0;
        drained.clear();
        drains_to_failure = 1 + round % 4;
        if (kind == 1) t.FLUSHHOOK = count_flush;
        if (kind == 2) t.TRANSFERHOOK = drain_to_memory;
        write_halves(t, values, general_only);
        flush_counts[general_only] = flushes;
        states[general_only] = {t.CURSOR, 0, INOUTRES, drained.size()};
        t.FLUSHHOOK = nullptr;
        close_quietly();
        tails[general_only] = kind == 2 ? drained : written();
      }
      ASSERT_EQ(tails[0], tails[1]);
      ASSERT_EQ(flush_counts[0], flush_counts[1]);
      ASSERT_EQ(states[0], states[1]);
    }
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
