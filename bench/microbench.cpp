// Microbenchmarks of the splitter's hot paths on a task of the maximum size:
// number and line reads through the text-file buffer, over real files or
// from memory, by statements or in runs in the buffer; CONVERT on typical
// durations and on every item of the task; SORT of the items; the answer's
// line writes, likewise; and the whole run. Each benchmark checks what it
// computed and reports an error instead of a time when the result is wrong.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/text.hpp"
#include "runtime/text_lines.hpp"
#include "splitter.hpp"

namespace {

using rt::SHORTSTRING;

constexpr int32_t ITEMS = NSIZE;

// A task of the maximum size with h:mm:ss durations and CR LF line ends, like
// the whole-process benchmark's, the same on every run.
struct Task {
  std::vector<int32_t> seconds;
  std::vector<std::string> durations;
  std::string text;          // the whole task file
  std::string numbers_text;  // one duration in seconds per line
  int64_t total = 0;
};

Task make_task() {
  Task task;
  uint64_t state = 20240601;
  auto next = [&state] {  // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return (state * 2685821657736338717ULL) >> 32;
  };
  for (int32_t i = 0; i < ITEMS; ++i) {
    // Mostly under 25 minutes, every 250th between one and two hours.
    const int32_t d = i % 250 == 249 ? 3600 + static_cast<int32_t>(next() % 3600)
                                     : 1 + static_cast<int32_t>(next() % 1499);
    char line[16];
    std::snprintf(line, sizeof line, "%d:%02d:%02d", d / 3600, d / 60 % 60, d % 60);
    task.seconds.push_back(d);
    task.durations.push_back(line);
    task.total += d;
  }
  // A length in minutes that holds every item; the reads only pass over it.
  task.text = std::to_string((task.total + 59) / 60) + "\r\n" + std::to_string(ITEMS) + "\r\n";
  for (const std::string& line : task.durations)
    task.text += line + "\r\n";
  for (int32_t d : task.seconds)
    task.numbers_text += std::to_string(d) + "\r\n";
  return task;
}

const Task& task() {
  static const Task t = make_task();
  return t;
}

SHORTSTRING shortstring(const std::string& text) {
  SHORTSTRING s{};
  s.LENGTH = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), s.CHARS);
  return s;
}

// The files the read benchmarks open, in a temporary directory of their own.
struct Files {
  std::string dir;
  std::string task;
  std::string numbers;
  std::string answer;
};
Files files;

bool write_file(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

bool make_files() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/microbench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  files = {pattern, pattern + "/input.txt", pattern + "/numbers.txt", pattern + "/output.txt"};
  return write_file(files.task, task().text) && write_file(files.numbers, task().numbers_text);
}

void remove_files() {
  for (const std::string* path : {&files.task, &files.numbers, &files.answer}) {
    unlink(path->c_str());
  }
  rmdir(files.dir.c_str());
}

// Ends a benchmark with an error when a file operation left a result pending.
bool io_failed(benchmark::State& state) {
  if (rt::INOUTRES == 0) return false;
  state.SkipWithError(("I/O result " + std::to_string(rt::INOUTRES)).c_str());
  rt::INOUTRES = 0;
  return true;
}

// --- Reading -------------------------------------------------------------------

// The file of durations in seconds, one per line, read as signed numbers.
void BM_READ_SINT(benchmark::State& state) {
  int64_t sum = 0;
  for (auto _ : state) {
    rt::TEXT f;
    rt::ASSIGN(f, files.numbers.c_str());
    rt::RESET(f);
    sum = 0;
    for (int32_t i = 0; i < ITEMS; ++i) {
      sum += rt::READ_SINT(f);
      rt::READLN_END(f);
    }
    rt::CLOSE(f);
    if (io_failed(state)) return;
  }
  if (sum != task().total) state.SkipWithError("wrong sum of the numbers read");
  state.SetItemsProcessed(state.iterations() * ITEMS);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(task().numbers_text.size()));
}
BENCHMARK(BM_READ_SINT);

// The same reads from memory: the record's fill hands out the task 256 bytes
// at a time, so that only the buffer work is timed, not the system calls.
struct MemorySource {
  const std::string* text = nullptr;
  size_t offset = 0;
};
MemorySource source;

void fill_from_memory(rt::TEXTREC& t) {
  const size_t count =
      std::min(static_cast<size_t>(t.RECSIZE), source.text->size() - source.offset);
  std::copy_n(source.text->data() + source.offset, count, t.BUFFERREF);
  source.offset += count;
  t.FILLED = static_cast<int32_t>(count);
  t.CURSOR = 0;
}

// The task file as read by statements: two numbers, then every item line as
// text; from the file, or from memory. Or with the item lines taken in runs
// in the buffer, as INIT takes them, and by statements where a run ends.
void read_task_lines(benchmark::State& state, bool from_memory, bool runs = false) {
  int64_t characters = 0;
  int32_t count = 0;
  for (auto _ : state) {
    rt::TEXT f;
    SHORTSTRING line;
    rt::ASSIGN(f, files.task.c_str());
    rt::RESET(f);
    if (from_memory) {
      f.TRANSFERHOOK = fill_from_memory;
      source = {&task().text, 0};
      f.FILLED = 0;
      f.CURSOR = 0;
    }
    benchmark::DoNotOptimize(rt::READ_SINT(f));
    rt::READLN_END(f);
    count = rt::READ_SINT(f);
    rt::READLN_END(f);
    characters = 0;
    // Every short line is taken, counted by its length.
    struct Counter {
      int32_t& i;
      int32_t count;
      int64_t& characters;
      bool more() const { return i < count; }
      int32_t run(const rt::BUFFERBYTE*, int32_t cursor, int32_t) { return cursor; }
      bool known(uint64_t, uint32_t) { return false; }
      bool operator()(uint64_t, int32_t length) {
        characters += length;
        ++i;
        return true;
      }
    };
    for (int32_t i = 0; i < count; ++i) {
      bool read = false;
      if (runs) {
        Counter counter{i, count, characters};
        read = rt::fast::read_short_lines(f, line, counter);
        if (i == count) break;
      }
      if (!read) rt::READ_STRING(f, line, rt::SHORTSTRING_CAPACITY);
      rt::READLN_END(f);
      characters += line.LENGTH;
    }
    rt::CLOSE(f);
    if (io_failed(state)) return;
  }
  int64_t expected = 0;
  for (const std::string& d : task().durations)
    expected += static_cast<int64_t>(d.size());
  if (count != ITEMS || characters != expected) state.SkipWithError("wrong lines read");
  state.SetItemsProcessed(state.iterations() * ITEMS);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(task().text.size()));
}

void BM_READ_STRING(benchmark::State& state) {
  read_task_lines(state, false);
}
BENCHMARK(BM_READ_STRING);

void BM_READ_STRING_memory(benchmark::State& state) {
  read_task_lines(state, true);
}
BENCHMARK(BM_READ_STRING_memory);

void BM_READ_LINES_runs_memory(benchmark::State& state) {
  read_task_lines(state, true, true);
}
BENCHMARK(BM_READ_LINES_runs_memory);

// --- CONVERT -------------------------------------------------------------------

const char* const TYPICAL[] = {"1:02:03", "9:59:59", "0:00:01", "4:05", "75"};

void BM_CONVERT(benchmark::State& state) {
  const char* text = TYPICAL[state.range(0)];
  const SHORTSTRING mstr = shortstring(text);
  int32_t seconds = 0;
  for (auto _ : state) {
    seconds = CONVERT(mstr);  // a real call, never hoisted out of the loop
    benchmark::DoNotOptimize(seconds);
  }
  const int32_t expected[] = {3723, 35999, 1, 245, 75};
  if (seconds != expected[state.range(0)]) state.SkipWithError("wrong seconds");
  state.SetLabel(text);
}
BENCHMARK(BM_CONVERT)->DenseRange(0, std::size(TYPICAL) - 1);

// Every item line of the task, as INIT converts them.
void BM_CONVERT_task(benchmark::State& state) {
  std::vector<SHORTSTRING> lines;
  for (const std::string& d : task().durations)
    lines.push_back(shortstring(d));
  int64_t sum = 0;
  for (auto _ : state) {
    sum = 0;
    for (const SHORTSTRING& line : lines)
      sum += CONVERT(line);
    benchmark::DoNotOptimize(sum);
  }
  if (sum != task().total) state.SkipWithError("wrong sum of seconds");
  state.SetItemsProcessed(state.iterations() * ITEMS);
}
BENCHMARK(BM_CONVERT_task);

// --- SORT ----------------------------------------------------------------------

// Sorts B[1..N] of the task's durations (range 0) or of one duration for all
// (range 1), refilled before every sort outside the timed part.
void BM_SORT(benchmark::State& state) {
  const bool equal = state.range(0) == 1;
  std::vector<SOMETYPE> items;
  for (int32_t i = 1; i <= ITEMS; ++i) {
    items.push_back({i, equal ? task().seconds[0] : task().seconds[i - 1]});
  }
  N = ITEMS;
  for (auto _ : state) {
    state.PauseTiming();
    for (int32_t i = 1; i <= ITEMS; ++i)
      B[i] = items[i - 1];
    state.ResumeTiming();
    SORT(1, N);
  }
  std::vector<int32_t> sorted;
  for (int32_t i = 1; i <= ITEMS; ++i)
    sorted.push_back(B[i].VALUE);
  std::vector<int32_t> expected;
  for (const SOMETYPE& item : items)
    expected.push_back(item.VALUE);
  std::sort(expected.begin(), expected.end(), [](int32_t a, int32_t b) { return a > b; });
  if (sorted != expected) state.SkipWithError("not sorted longest first");
  state.SetLabel(equal ? "equal durations" : "random durations");
  state.SetItemsProcessed(state.iterations() * ITEMS);
}
BENCHMARK(BM_SORT)->Arg(0)->Arg(1);

// --- Writing -------------------------------------------------------------------

// The answer as SAVE writes it: one half number and CR LF per item.
void BM_WRITE_SINT(benchmark::State& state) {
  for (auto _ : state) {
    rt::TEXT f;
    rt::ASSIGN(f, files.answer.c_str());
    rt::REWRITE(f);
    for (int32_t i = 1; i <= ITEMS; ++i) {
      rt::WRITE_SINT(0, f, 1 + (i & 1));
      rt::WRITELN_END(f);
    }
    rt::CLOSE(f);
    if (io_failed(state)) return;
  }
  std::string expected;
  for (int32_t i = 1; i <= ITEMS; ++i)
    expected += std::to_string(1 + (i & 1)) + "\r\n";
  std::string written;
  if (FILE* f = std::fopen(files.answer.c_str(), "rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
      written.append(chunk, n);
    std::fclose(f);
  }
  if (written != expected) state.SkipWithError("wrong answer file");
  state.SetItemsProcessed(state.iterations() * ITEMS);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(expected.size()));
}
BENCHMARK(BM_WRITE_SINT);

// The same writes into memory: the record's drain appends the buffer to a
// string instead of writing it.
std::string sink;

void drain_to_memory(rt::TEXTREC& t) {
  sink.append(reinterpret_cast<const char*>(t.BUFFERREF), static_cast<size_t>(t.CURSOR));
  t.CURSOR = 0;
}

// The task's halves in turn, by statements, or in runs in the buffer as SAVE
// writes them, and by statements where a run ends.
void write_halves_to_memory(benchmark::State& state, bool runs) {
  std::vector<int32_t> halves;
  for (int32_t i = 1; i <= ITEMS; ++i)
    halves.push_back(1 + (i & 1));
  sink.reserve(4 * ITEMS);
  for (auto _ : state) {
    rt::TEXT f;
    rt::ASSIGN(f, files.answer.c_str());
    rt::REWRITE(f);
    f.TRANSFERHOOK = drain_to_memory;
    sink.clear();
    for (int32_t i = 0; i < ITEMS; ++i) {
      if (runs) i += rt::fast::write_digit_lines(f, halves.data() + i, ITEMS - i);
      if (i == ITEMS) break;
      rt::WRITE_SINT(0, f, halves[static_cast<size_t>(i)]);
      rt::WRITELN_END(f);
    }
    drain_to_memory(f);
    rt::CLOSE(f);
    if (io_failed(state)) return;
  }
  std::string expected;
  for (int32_t i = 1; i <= ITEMS; ++i)
    expected += std::to_string(1 + (i & 1)) + "\r\n";
  if (sink != expected) state.SkipWithError("wrong answer written");
  state.SetItemsProcessed(state.iterations() * ITEMS);
}

void BM_WRITE_SINT_memory(benchmark::State& state) {
  write_halves_to_memory(state, false);
}
BENCHMARK(BM_WRITE_SINT_memory);

void BM_WRITE_LINES_runs_memory(benchmark::State& state) {
  write_halves_to_memory(state, true);
}
BENCHMARK(BM_WRITE_LINES_runs_memory);

// --- The whole run ---------------------------------------------------------------

// INIT, SOLVE2 and SAVE in one process, on the task file, over and over; and
// the same files read and written 256 bytes a system call with nothing else,
// as the block floor does. The difference is the splitter's own work on warm
// caches, without the process's start. INIT leaves the task file open, as
// the process's end would close it: each run closes it, on the descriptor
// that was the lowest free one before.
void BM_RUN(benchmark::State& state) {
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(files.dir.c_str()) != 0) {
    state.SkipWithError("cannot enter the task's directory");
    return;
  }
  const int task_descriptor = dup(0);
  close(task_descriptor);
  for (auto _ : state) {
    INIT();
    SOLVE2();
    SAVE();
    if (close(task_descriptor) != 0) state.SkipWithError("the task file was not left open");
  }
  if (ANS != 1 || N != ITEMS) state.SkipWithError("the task was not solved");
  if (chdir(previous) != 0) state.SkipWithError("cannot leave the task's directory");
  state.SetItemsProcessed(state.iterations() * ITEMS);
}
BENCHMARK(BM_RUN);

void BM_RUN_blocks_only(benchmark::State& state) {
  const std::string answer(3 * static_cast<size_t>(ITEMS), '1');
  for (auto _ : state) {
    char block[256];
    const int in = open(files.task.c_str(), O_RDONLY);
    while (read(in, block, sizeof block) > 0) {
    }
    close(in);
    const int out = open(files.answer.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (size_t done = 0; done < answer.size(); done += sizeof block) {
      const size_t count = std::min(sizeof block, answer.size() - done);
      if (write(out, answer.data() + done, count) != static_cast<ssize_t>(count)) {
        state.SkipWithError("cannot write the answer");
      }
    }
    close(out);
  }
}
BENCHMARK(BM_RUN_blocks_only);
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!make_files()) {
    std::fprintf(stderr, "microbench: cannot write the task files\n");
    remove_files();
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  remove_files();
  return 0;
}
