// The test that tells a privileged instruction's fault from an access's on
// x86-64 Linux, by the instruction's encoding. It includes no kernel header,
// so the runtime's tests can run it over instructions of their own.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace rt::platform {

// The code of this program, whose instructions a fault handler may read.
extern "C" const uint8_t __executable_start[], __etext[];

namespace x86_64 {

// Instructions that only the kernel may execute, by code: a one-byte opcode
// as it is; after the 0x0F escape, 0x100 + the second byte (the privileged
// ones all lie below 0x40); and the members of the system groups 0x0F 0x00
// and 0x0F 0x01, which the ModRM byte's reg field names, and for group 7's
// register forms its rm field too. The members that user mode may run
// (sldt, str, verr, verw, sgdt, sidt, smsw, xgetbv, rdtscp, ...) fault there
// only by their memory operand: an access.
constexpr uint16_t GROUP6 = 0x140;                       // + reg
constexpr uint16_t GROUP7_MEMORY = GROUP6 + 8;           // + reg
constexpr uint16_t GROUP7_REGISTER = GROUP7_MEMORY + 8;  // + reg * 8 + rm
constexpr uint16_t group7_register(unsigned modrm) {
  return GROUP7_REGISTER + (modrm & 63);
}

template <unsigned CODES>
struct CODESET {
  uint32_t words[(CODES + 31) / 32]{};
  constexpr CODESET(std::initializer_list<uint16_t> members) {
    for (const uint16_t member : members)
      words[member >> 5] |= 1u << (member & 31);
  }
  bool has(unsigned code) const { return ((words[code >> 5] >> (code & 31)) & 1) != 0; }
};

constexpr CODESET<GROUP7_REGISTER + 64> PRIVILEGED{
    0xF4, 0xFA, 0xFB,                                // hlt, cli, sti
    0xE4, 0xE5, 0xE6, 0xE7, 0xEC, 0xED, 0xEE, 0xEF,  // in, out
    0x6C, 0x6D, 0x6E, 0x6F,                          // ins, outs
    0x106, 0x107, 0x108, 0x109,                      // clts, sysret, invd, wbinvd
    0x120, 0x121, 0x122, 0x123,  // mov from and to the control and debug registers
    0x130, 0x132, 0x133, 0x135,  // wrmsr, rdmsr, rdpmc, sysexit
    GROUP6 + 2, GROUP6 + 3,      // lldt, ltr
    // lgdt, lidt, lmsw, invlpg
    GROUP7_MEMORY + 2, GROUP7_MEMORY + 3, GROUP7_MEMORY + 6, GROUP7_MEMORY + 7,
    // Group 7's register forms that need the kernel, by ModRM byte: vmcall,
    // vmlaunch, vmresume, vmxoff, pconfig, wrmsrns, xsetbv; vmrun, vmload,
    // vmsave, stgi, clgi, skinit, invlpga; lmsw; swapgs, invlpgb, tlbsync.
    // (Those that the processor refuses to a program as invalid, such as
    // clac, stac, monitor and mwait, arrive as SIGILL.)
    group7_register(0xC1), group7_register(0xC2), group7_register(0xC3), group7_register(0xC4),
    group7_register(0xC5), group7_register(0xC6), group7_register(0xD1), group7_register(0xD8),
    group7_register(0xDA), group7_register(0xDB), group7_register(0xDC), group7_register(0xDD),
    group7_register(0xDE), group7_register(0xDF), group7_register(0xF0), group7_register(0xF1),
    group7_register(0xF2), group7_register(0xF3), group7_register(0xF4), group7_register(0xF5),
    group7_register(0xF6), group7_register(0xF7), group7_register(0xF8), group7_register(0xFE),
    group7_register(0xFF)};

// Prefixes: segments, REX, operand and address size, lock and repeat.
constexpr CODESET<256> PREFIXES{0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x40, 0x41, 0x42,
                                0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B,
                                0x4C, 0x4D, 0x4E, 0x4F, 0x66, 0x67, 0xF0, 0xF2, 0xF3};

// The code of the instruction at, past its prefixes.
inline unsigned instruction_code(const uint8_t* at) {
  if (at[0] != 0x0F) return at[0];
  const unsigned second = at[1], modrm = at[2];
  if (second > 0x01) return second < 0x40 ? 0x100 + second : 0;  // 0, add: not privileged
  if (second == 0x01 && modrm >= 0xC0) return group7_register(modrm);
  return GROUP6 + second * 8 + ((modrm >> 3) & 7);  // group 6, or group 7's memory forms
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
  for (int i = 0; i < 14 && PREFIXES.has(*at); ++i)
    ++at;
  return PRIVILEGED.has(instruction_code(at));
}

}  // namespace rt::platform
