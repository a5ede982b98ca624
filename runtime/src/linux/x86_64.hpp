// What the Linux layer does its own way on x86-64, for its implementation
// files only (through linux/kernel.hpp): the system call, the process entry,
// the signal restorer, the signal context's registers, and the test that
// tells a privileged instruction's fault from an access's.
#pragma once

#include <asm/ucontext.h>

#include <cstdint>
#include <initializer_list>

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

// --- Privileged instructions ------------------------------------------------------

// The code of this program, whose instructions a fault handler may read.
extern "C" const uint8_t __executable_start[], __etext[];

namespace x86_64 {

// Opcodes that only the kernel may execute: one-byte opcodes as they are,
// those after the 0x0F escape as 0x100 + their second byte.
struct OPCODESET {
  uint32_t words[16]{};
  constexpr OPCODESET(std::initializer_list<uint16_t> members) {
    for (const uint16_t member : members)
      words[member >> 5] |= 1u << (member & 31);
  }
  bool has(unsigned opcode) const { return ((words[opcode >> 5] >> (opcode & 31)) & 1) != 0; }
};

constexpr OPCODESET PRIVILEGED{
    0xF4, 0xFA, 0xFB,                                // hlt, cli, sti
    0xE4, 0xE5, 0xE6, 0xE7, 0xEC, 0xED, 0xEE, 0xEF,  // in, out
    0x6C, 0x6D, 0x6E, 0x6F,                          // ins, outs
    // The descriptor-table and system-register groups (lldt, ltr, lgdt,
    // lidt, lmsw, invlpg, swapgs, ...), whose other members fault in a
    // program only where they are refused to it as well.
    0x100, 0x101, 0x106, 0x107, 0x108, 0x109,  // clts, sysret, invd, wbinvd
    0x120, 0x121, 0x122, 0x123,                // mov from and to the control and debug registers
    0x130, 0x132, 0x133, 0x135,                // wrmsr, rdmsr, rdpmc, sysexit
};

// Prefixes: segments, operand and address size, lock and repeat, REX.
inline bool prefix(uint8_t byte) {
  return (byte & 0xE7) == 0x26 || (byte & 0xFC) == 0x64 || byte == 0xF0 || (byte & 0xFE) == 0xF2 ||
         (byte & 0xF0) == 0x40;
}

}  // namespace x86_64

// Whether the instruction at ip is one that only the kernel may execute.
// x86-64 Linux delivers such an instruction as a general-protection fault,
// SIGSEGV with SI_KERNEL and no address, as it does an access at a
// non-canonical address; only the instruction tells the two apart. It is read
// only inside this program's code, where a faulting instruction lies whole
// (at most 15 bytes); one in the code's last 15 bytes is taken for an access.
[[gnu::always_inline]] inline bool privileged_instruction(uintptr_t ip) {
  using namespace x86_64;
  if (ip < reinterpret_cast<uintptr_t>(__executable_start) ||
      ip + 15 > reinterpret_cast<uintptr_t>(__etext)) {
    return false;
  }
  const auto* at = reinterpret_cast<const uint8_t*>(ip);
  for (int i = 0; i < 14 && prefix(*at); ++i)
    ++at;
  return PRIVILEGED.has(at[0] == 0x0F ? 0x100 + at[1] : at[0]);
}

}  // namespace rt::platform
