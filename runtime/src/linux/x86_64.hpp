// What the Linux layer does its own way on x86-64, for its implementation
// files only (through linux/kernel.hpp): the system call, the process entry,
// the signal restorer, the signal context's registers, and the test that
// tells a privileged instruction's fault from an access's.
#pragma once

#include <asm/ucontext.h>

#include <cstdint>

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

// The kernel starts _start with no frame; the stack is aligned for the call.
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

// --- Privileged instructions ------------------------------------------------------

// The code of this program, whose instructions a fault handler may read.
extern "C" const uint8_t __executable_start[], __etext[];

// Whether the instruction at ip is one that only the kernel may execute.
// x86-64 Linux delivers such an instruction as a general-protection fault,
// SIGSEGV with SI_KERNEL and no address, as it does an access at a
// non-canonical address; only the instruction tells the two apart. It is read
// only inside this program's code, where a faulting instruction lies whole.
[[gnu::cold]] inline bool privileged_instruction(uintptr_t ip) {
  const auto* at = reinterpret_cast<const uint8_t*>(ip);
  if (at < __executable_start || at >= __etext) return false;
  // A byte of the instruction; past the code's end, a nop, which ends the scan.
  const auto byte = [at](int k) -> uint8_t { return at + k < __etext ? at[k] : 0x90; };
  // Prefixes: operand and address size, lock and repeat, segments, REX.
  int i = 0;
  for (;; ++i) {
    const uint8_t b = byte(i);
    const bool prefix = b == 0x66 || b == 0x67 || b == 0xF0 || b == 0xF2 || b == 0xF3 ||
                        b == 0x2E || b == 0x36 || b == 0x3E || b == 0x26 || b == 0x64 ||
                        b == 0x65 || (b & 0xF0) == 0x40;
    if (!prefix || i == 14) break;
  }
  switch (byte(i)) {
    case 0xF4:  // hlt
    case 0xFA:  // cli
    case 0xFB:  // sti
    case 0xE4:  // in and out, port in the instruction
    case 0xE5:
    case 0xE6:
    case 0xE7:
    case 0xEC:  // in and out, port in dx
    case 0xED:
    case 0xEE:
    case 0xEF:
    case 0x6C:  // ins, outs
    case 0x6D:
    case 0x6E:
    case 0x6F:
      return true;
    case 0x0F:
      break;
    default:
      return false;
  }
  const uint8_t modrm = byte(i + 2);
  const uint8_t operation = (modrm >> 3) & 7;
  switch (byte(i + 1)) {
    case 0x00:  // lldt, ltr
      return operation == 2 || operation == 3;
    case 0x01:  // swapgs, xsetbv; lgdt, lidt, lmsw, invlpg
      if (modrm == 0xF8 || modrm == 0xD1 || operation == 6) return true;
      return modrm < 0xC0 && (operation == 2 || operation == 3 || operation == 7);
    case 0x06:  // clts
    case 0x07:  // sysret
    case 0x08:  // invd
    case 0x09:  // wbinvd
    case 0x20:  // mov from and to the control and debug registers
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x30:  // wrmsr
    case 0x32:  // rdmsr
    case 0x33:  // rdpmc
    case 0x35:  // sysexit
      return true;
    default:
      return false;
  }
}

}  // namespace rt::platform
