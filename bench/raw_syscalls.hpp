// Raw Linux x86-64 system calls and a process entry, for the benchmark's
// floor programs: they link neither the runtime nor a C library, so that
// what they cost is the kernel's work alone.
#pragma once

namespace raw {

constexpr long NR_READ = 0;
constexpr long NR_WRITE = 1;
constexpr long NR_CLOSE = 3;
constexpr long NR_EXIT_GROUP = 231;
constexpr long NR_OPENAT = 257;

constexpr long AT_FDCWD = -100;
constexpr long OPEN_READ = 0;                   // O_RDONLY
constexpr long OPEN_WRITE = 01 | 0100 | 01000;  // O_WRONLY | O_CREAT | O_TRUNC

inline long syscall3(long number, long a, long b, long c) {
  long result;
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(a), "S"(b), "d"(c)
               : "rcx", "r11", "memory");
  return result;
}

inline long syscall4(long number, long a, long b, long c, long d) {
  long result;
  register long r10 asm("r10") = d;
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10)
               : "rcx", "r11", "memory");
  return result;
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
