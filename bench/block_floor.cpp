// The floor for a program that keeps the 256-byte blocks of the text files:
// open "input.txt" and read it 256 bytes a call to its end, take the item
// count from its second line, and write an answer of the splitter's size
// (one line "1" CR LF per item) into "output.txt" 256 bytes a call, then
// close it. No C library, no checks, no conversions: what is left is
// starting a process and the system calls that the blocks imply.
#include <cstdint>

#include "raw_syscalls.hpp"

namespace {

constexpr int32_t MAX_ITEMS = 5010;
constexpr int32_t ANSWER_LINE = 3;  // a digit, CR, LF
constexpr long BLOCK = 256;

alignas(4096) unsigned char input[1 << 18];
alignas(4096) unsigned char answer[MAX_ITEMS * ANSWER_LINE];

}  // namespace

extern "C" [[noreturn]] void block_floor_main() {
  using namespace raw;
  const long in = syscall4(NR_OPENAT, AT_FDCWD, reinterpret_cast<long>("input.txt"), OPEN_READ, 0);
  if (in < 0) exit_group(2);
  long size = 0;
  for (long got; size + BLOCK <= static_cast<long>(sizeof input); size += got) {
    got = syscall3(NR_READ, in, reinterpret_cast<long>(input + size), BLOCK);
    if (got < 0) exit_group(100);
    if (got == 0) break;
  }
  const int32_t count = item_count(input, size, MAX_ITEMS);
  const long length = fill_answer(answer, count);
  const long out =
      syscall4(NR_OPENAT, AT_FDCWD, reinterpret_cast<long>("output.txt"), OPEN_WRITE, 0666);
  if (out < 0) exit_group(5);
  for (long at = 0; at < length; at += BLOCK) {
    const long part = length - at < BLOCK ? length - at : BLOCK;
    if (syscall3(NR_WRITE, out, reinterpret_cast<long>(answer + at), part) != part) exit_group(101);
  }
  syscall3(NR_CLOSE, out, 0, 0);
  exit_group(0);
}

RAW_PROCESS_ENTRY(block_floor_main);
