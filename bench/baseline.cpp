// The one-shot floor for one run of the task: read "input.txt" with one
// system call, take the item count from its second line, and write
// "output.txt" with one more: one line "1" CR LF per item, the size of the
// splitter's answer. No C library, no checks, no buffering, so what is left
// is the kernel's cost of starting a process and moving the bytes.
#include <cstdint>

#include "raw_syscalls.hpp"

namespace {

constexpr int32_t MAX_ITEMS = 5010;
constexpr int32_t ANSWER_LINE = 3;  // a digit, CR, LF

// Large enough for the longest input of the maximum item count.
alignas(4096) unsigned char input[1 << 18];
alignas(4096) unsigned char answer[MAX_ITEMS * ANSWER_LINE];

}  // namespace

extern "C" [[noreturn]] void baseline_main() {
  using namespace raw;
  const long in = syscall4(NR_OPENAT, AT_FDCWD, reinterpret_cast<long>("input.txt"), OPEN_READ, 0);
  if (in < 0) exit_group(2);
  const long size = syscall3(NR_READ, in, reinterpret_cast<long>(input), sizeof input);
  if (size < 0) exit_group(100);
  const int32_t count = item_count(input, size, MAX_ITEMS);
  const long length = fill_answer(answer, count);
  const long out =
      syscall4(NR_OPENAT, AT_FDCWD, reinterpret_cast<long>("output.txt"), OPEN_WRITE, 0666);
  if (out < 0) exit_group(5);
  if (syscall3(NR_WRITE, out, reinterpret_cast<long>(answer), length) != length) exit_group(101);
  exit_group(0);
}

RAW_PROCESS_ENTRY(baseline_main);
