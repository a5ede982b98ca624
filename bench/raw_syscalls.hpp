// Raw Linux x86-64 system calls and a process entry, for the benchmark's
// floor programs: they link neither the runtime nor a C library, so that
// what they cost is the kernel's work alone.
#pragma once

#include "linux/kernel.hpp"

namespace raw {

constexpr long NR_READ = __NR_read;
constexpr long NR_WRITE = __NR_write;
constexpr long NR_CLOSE = __NR_close;
constexpr long NR_EXIT_GROUP = __NR_exit_group;
constexpr long NR_OPENAT = __NR_openat;

constexpr long OPEN_READ = O_RDONLY;
constexpr long OPEN_WRITE = O_WRONLY | O_CREAT | O_TRUNC;

// The runtime's own system-call instruction, an inline function: the floors
// include it, and link nothing of the runtime.
inline long syscall3(long number, long a, long b, long c) {
  return rt::platform::raw_syscall(number, a, b, c);
}
inline long syscall4(long number, long a, long b, long c, long d) {
  return rt::platform::raw_syscall(number, a, b, c, d);
}

[[noreturn]] inline void exit_group(long code) {
  syscall3(NR_EXIT_GROUP, code, 0, 0);
  __builtin_unreachable();
}

// The decimal count on the second line of a task (blanks and line ends
// before it passed over), clamped to at most `most`.
inline int item_count(const unsigned char* text, long size, int most) {
  long i = 0;
  while (i < size && text[i] != '\n')
    ++i;
  ++i;
  while (i < size && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
    ++i;
  int count = 0;
  while (i < size && text[i] >= '0' && text[i] <= '9' && count <= most) {
    count = count * 10 + (text[i] - '0');
    ++i;
  }
  return count > most ? most : count;
}

// The floors' answer: one line "1" CR LF for each of `count` items.
inline long fill_answer(unsigned char* answer, int count) {
  for (int i = 0; i < count; ++i) {
    answer[3 * i] = '1';
    answer[3 * i + 1] = '\r';
    answer[3 * i + 2] = '\n';
  }
  return 3L * count;
}

}  // namespace raw

// The kernel enters with the stack pointer at the argument count; no frame
// above the main routine, and the stack aligned for the call.
#define RAW_PROCESS_ENTRY(main_routine) \
  asm(".text\n"                         \
      ".globl _start\n"                 \
      ".type _start,@function\n"        \
      "_start:\n"                       \
      "  xor %ebp, %ebp\n"              \
      "  and $-16, %rsp\n"              \
      "  call " #main_routine           \
      "\n"                              \
      "  ud2\n"                         \
      ".size _start, .-_start\n")
