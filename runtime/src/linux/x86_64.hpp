// What the Linux layer does its own way on x86-64, for its implementation
// files only (through linux/kernel.hpp): the system call, the process entry,
// the signal restorer, the signal context's registers, and the test that
// tells a privileged instruction's fault from an access's
// (x86_64_privileged.hpp).
#pragma once

#include <asm/ucontext.h>

#include <cstdint>

#include "linux/x86_64_privileged.hpp"

namespace rt::platform {

// A system call: its number in rax, the arguments in rdi, rsi, rdx, r10, r8
// and r9, the result in rax; the instruction overwrites rcx and r11.
inline long raw_syscall(long number, long a = 0, long b = 0, long c = 0, long d = 0) {
  long result;
  register long r10 asm("r10") = d;
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10)
               : "rcx", "r11", "memory");
  return result;
}
inline long raw_syscall6(long number, long a, long b, long c, long d, long e, long f) {
  long result;
  register long r10 asm("r10") = d;
  register long r8 asm("r8") = e;
  register long r9 asm("r9") = f;
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8), "r"(r9)
               : "rcx", "r11", "memory");
  return result;
}

// --- The process entry and the signal restorer -----------------------------------

// The kernel starts _start with no frame; it clears the frame pointer, so the
// chain of frame records ends here, and aligns the stack for the call.
#define LINUX_PROCESS_ENTRY    \
  "  .text\n"                  \
  "  .globl _start\n"          \
  "  .type _start,@function\n" \
  "_start:\n"                  \
  "  xor %ebp, %ebp\n"         \
  "  and $-16, %rsp\n"         \
  "  call rt_process_entry\n"  \
  "  ud2\n"                    \
  "  .size _start, .-_start\n"

// The kernel returns from a signal handler through the restorer that its
// action names, which makes the rt_sigreturn call.
#define LINUX_SIGNAL_RESTORER      \
  "  .text\n"                      \
  "  .type restore_rt,@function\n" \
  "restore_rt:\n"                  \
  "  mov $15, %eax\n"              \
  "  syscall\n"                    \
  "  .size restore_rt, .-restore_rt\n"

// --- Signal contexts -------------------------------------------------------------

// What the calling convention lets a routine use below its stack pointer.
constexpr uintptr_t RED_ZONE = 128;

inline uintptr_t context_ip(const ucontext& c) {
  return c.uc_mcontext.rip;
}
inline uintptr_t context_sp(const ucontext& c) {
  return c.uc_mcontext.rsp;
}
inline uintptr_t context_frame(const ucontext& c) {
  return c.uc_mcontext.rbp;
}

// Makes the context resume at ip as if its faulting instruction had called
// it: the fault address stands as the return address, on a stack at or below
// stack aligned for a call, and a single step's trap flag is cleared, so the
// resumed code is not traced.
inline void resume_as_call(ucontext& c, uintptr_t ip, uintptr_t stack) {
  const uintptr_t sp = (stack & ~uintptr_t{15}) - sizeof(uintptr_t);
  *reinterpret_cast<uintptr_t*>(sp) = c.uc_mcontext.rip;
  c.uc_mcontext.rsp = sp;
  c.uc_mcontext.rip = ip;
  c.uc_mcontext.eflags &= ~uint64_t{0x100};
}

}  // namespace rt::platform
