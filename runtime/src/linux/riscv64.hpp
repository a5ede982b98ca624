// What the Linux layer does its own way on riscv64, for its implementation
// files only (through linux/kernel.hpp): the system call, the process entry
// and the signal context's registers. There is no signal restorer: the
// kernel's action has no field for one, and handlers return through the
// kernel's own vDSO.
#pragma once

#include <asm/ucontext.h>

#include <cstdint>

namespace rt::platform {

// A system call: its number in a7, the arguments in a0 to a5, the result in a0.
inline long raw_syscall(long number, long a = 0, long b = 0, long c = 0, long d = 0) {
  register long a7 asm("a7") = number;
  register long a0 asm("a0") = a;
  register long a1 asm("a1") = b;
  register long a2 asm("a2") = c;
  register long a3 asm("a3") = d;
  asm volatile("ecall" : "+r"(a0) : "r"(a7), "r"(a1), "r"(a2), "r"(a3) : "memory");
  return a0;
}
inline long raw_syscall6(long number, long a, long b, long c, long d, long e, long f) {
  register long a7 asm("a7") = number;
  register long a0 asm("a0") = a;
  register long a1 asm("a1") = b;
  register long a2 asm("a2") = c;
  register long a3 asm("a3") = d;
  register long a4 asm("a4") = e;
  register long a5 asm("a5") = f;
  asm volatile("ecall"
               : "+r"(a0)
               : "r"(a7), "r"(a1), "r"(a2), "r"(a3), "r"(a4), "r"(a5)
               : "memory");
  return a0;
}

// --- The process entry -----------------------------------------------------------

// The kernel starts _start with an aligned stack. The global pointer is set
// first (without relaxation, which would make its own load relative to it),
// since the linker may address data relative to it; the frame pointer and the
// return address are cleared, so the chain of frame records ends here.
#define LINUX_PROCESS_ENTRY       \
  "  .text\n"                     \
  "  .globl _start\n"             \
  "  .type _start,%function\n"    \
  "_start:\n"                     \
  "  .option push\n"              \
  "  .option norelax\n"           \
  "  lla gp, __global_pointer$\n" \
  "  .option pop\n"               \
  "  li s0, 0\n"                  \
  "  li ra, 0\n"                  \
  "  call rt_process_entry\n"     \
  "  unimp\n"                     \
  "  .size _start, .-_start\n"

// --- Signal contexts -------------------------------------------------------------

// Routines use nothing below the stack pointer.
constexpr uintptr_t RED_ZONE = 0;

inline uintptr_t context_ip(const ucontext& c) {
  return c.uc_mcontext.sc_regs.pc;
}
inline uintptr_t context_sp(const ucontext& c) {
  return c.uc_mcontext.sc_regs.sp;
}
inline uintptr_t context_frame(const ucontext& c) {
  return c.uc_mcontext.sc_regs.s0;
}

// Makes the context resume at ip as if its faulting instruction had called
// it: the fault address as the return address, which the resumed routine
// saves in its frame record, on a stack at or below stack.
inline void resume_as_call(ucontext& c, uintptr_t ip, uintptr_t stack) {
  c.uc_mcontext.sc_regs.ra = c.uc_mcontext.sc_regs.pc;
  c.uc_mcontext.sc_regs.sp = stack & ~uintptr_t{15};
  c.uc_mcontext.sc_regs.pc = ip;
}

// A privileged instruction arrives as SIGILL here: no SIGSEGV is one.
inline bool privileged_instruction(uintptr_t) {
  return false;
}

}  // namespace rt::platform
