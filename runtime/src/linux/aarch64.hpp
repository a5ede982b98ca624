// What the Linux layer does its own way on arm64 (aarch64), for its
// implementation files only (through linux/kernel.hpp): the system call, the
// process entry, the signal restorer and the signal context's registers.
#pragma once

#include <asm/ucontext.h>

#include <cstdint>

namespace rt::platform {

// A system call: its number in x8, the arguments in x0 to x5, the result in x0.
inline long raw_syscall(long number, long a = 0, long b = 0, long c = 0, long d = 0) {
  register long x8 asm("x8") = number;
  register long x0 asm("x0") = a;
  register long x1 asm("x1") = b;
  register long x2 asm("x2") = c;
  register long x3 asm("x3") = d;
  asm volatile("svc #0" : "+r"(x0) : "r"(x8), "r"(x1), "r"(x2), "r"(x3) : "memory");
  return x0;
}
inline long raw_syscall6(long number, long a, long b, long c, long d, long e, long f) {
  register long x8 asm("x8") = number;
  register long x0 asm("x0") = a;
  register long x1 asm("x1") = b;
  register long x2 asm("x2") = c;
  register long x3 asm("x3") = d;
  register long x4 asm("x4") = e;
  register long x5 asm("x5") = f;
  asm volatile("svc #0"
               : "+r"(x0)
               : "r"(x8), "r"(x1), "r"(x2), "r"(x3), "r"(x4), "r"(x5)
               : "memory");
  return x0;
}

// --- The process entry and the signal restorer -----------------------------------

// The kernel starts _start with an aligned stack; the frame pointer and the
// link register are cleared, so the chain of frame records ends here.
#define LINUX_PROCESS_ENTRY    \
  "  .text\n"                  \
  "  .globl _start\n"          \
  "  .type _start,%function\n" \
  "_start:\n"                  \
  "  mov x29, #0\n"            \
  "  mov x30, #0\n"            \
  "  bl rt_process_entry\n"    \
  "  udf #0\n"                 \
  "  .size _start, .-_start\n"

// The kernel would return from a handler through its vDSO without one; this
// restorer makes the rt_sigreturn call itself, as on x86-64.
#define LINUX_SIGNAL_RESTORER      \
  "  .text\n"                      \
  "  .type restore_rt,%function\n" \
  "restore_rt:\n"                  \
  "  mov x8, #139\n"               \
  "  svc #0\n"                     \
  "  .size restore_rt, .-restore_rt\n"

// --- Signal contexts -------------------------------------------------------------

// Routines use nothing below the stack pointer.
constexpr uintptr_t RED_ZONE = 0;

inline uintptr_t context_ip(const ucontext& c) {
  return c.uc_mcontext.pc;
}
inline uintptr_t context_sp(const ucontext& c) {
  return c.uc_mcontext.sp;
}
inline uintptr_t context_frame(const ucontext& c) {
  return c.uc_mcontext.regs[29];
}

// Makes the context resume at ip as if its faulting instruction had called
// it: the fault address in the link register, which the resumed routine
// saves in its frame record, on a stack at or below stack.
inline void resume_as_call(ucontext& c, uintptr_t ip, uintptr_t stack) {
  c.uc_mcontext.regs[30] = c.uc_mcontext.pc;
  c.uc_mcontext.sp = stack & ~uintptr_t{15};
  c.uc_mcontext.pc = ip;
}

// A privileged instruction arrives as SIGILL here: no SIGSEGV is one.
inline bool privileged_instruction(uintptr_t) {
  return false;
}

}  // namespace rt::platform
