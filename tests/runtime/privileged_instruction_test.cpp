// x86-64 Linux: the test that tells a privileged instruction from an access,
// both SIGSEGV with no address, run over instructions in this program's code.
#include <gtest/gtest.h>

#include "linux/x86_64_privileged.hpp"

// Each row: an instruction, and whether only the kernel may run it. The
// encodings with no mnemonic here: pconfig, wrmsrns, invlpgb, tlbsync.
// clang-format off
#define ROWS(ROW)                                                                                 \
  ROW("hlt", 1) ROW("cli", 1) ROW("sti", 1) ROW("insb", 1) ROW("insl", 1) ROW("outsb", 1)         \
  ROW("outsl", 1) ROW("in $1, %al", 1) ROW("in $1, %eax", 1) ROW("out %al, $1", 1)                \
  ROW("out %eax, $1", 1) ROW("in %dx, %al", 1) ROW("in %dx, %eax", 1) ROW("out %al, %dx", 1)      \
  ROW("out %eax, %dx", 1) ROW("clts", 1) ROW("sysretl", 1) ROW("invd", 1) ROW("wbinvd", 1)        \
  ROW("mov %cr0, %rax", 1) ROW("mov %db7, %rax", 1) ROW("mov %rax, %cr4", 1)                      \
  ROW("mov %rax, %db0", 1) ROW("wrmsr", 1) ROW("rdmsr", 1) ROW("rdpmc", 1) ROW("sysexitl", 1)     \
  ROW("lldt %ax", 1) ROW("lldt (%rax)", 1) ROW("ltr %ax", 1) ROW("ltr 8(%rsp)", 1)                \
  ROW("lgdt (%rax)", 1) ROW("lidt (%rax)", 1) ROW("lmsw %ax", 1) ROW("lmsw (%rax)", 1)            \
  ROW("invlpg (%rax)", 1) ROW("vmcall", 1) ROW("vmlaunch", 1) ROW("vmresume", 1)                  \
  ROW("vmxoff", 1) ROW(".byte 0x0F, 0x01, 0xC5", 1) ROW(".byte 0x0F, 0x01, 0xC6", 1)              \
  ROW("xsetbv", 1) ROW("vmrun", 1) ROW("vmload", 1) ROW("vmsave", 1) ROW("stgi", 1)               \
  ROW("clgi", 1) ROW("skinit", 1) ROW("invlpga", 1) ROW("swapgs", 1)                              \
  ROW(".byte 0x0F, 0x01, 0xFE", 1) ROW(".byte 0x0F, 0x01, 0xFF", 1)                               \
  ROW("in %dx, %ax", 1) ROW("rep insb", 1) ROW("sysretq", 1) ROW("lgdt %gs:(%r8)", 1)             \
  ROW("cs hlt", 1) ROW(".fill 14, 1, 0x66\n hlt", 1)                                              \
  ROW("mov (%rax), %eax", 0) ROW("mov (%rax), %rax", 0) ROW("add %al, (%rax)", 0)                 \
  ROW("sldt %ax", 0) ROW("sldt (%rax)", 0) ROW("str (%rax)", 0) ROW("verr (%rax)", 0)             \
  ROW("verw (%rax)", 0) ROW("verw %ax", 0) ROW("sgdt (%rax)", 0) ROW("sidt (%rax)", 0)            \
  ROW("smsw (%rax)", 0) ROW("smsw %eax", 0) ROW("rdtscp", 0) ROW("xgetbv", 0) ROW("vmmcall", 0)   \
  ROW("rdpkru", 0) ROW("syscall", 0) ROW("rdtsc", 0) ROW("cpuid", 0) ROW("ud2", 0)                \
  ROW("cmovae (%rax), %eax", 0) ROW("cmovo (%rax), %eax", 0) ROW("rep stosb", 0)
// clang-format on

// The rows' instructions, one to each 16-byte slot of this program's code.
#define ASSEMBLED(text, privileged) ".balign 16\n " text "\n"
asm(".pushsection .text\n .balign 16\ninstruction_rows:\n" ROWS(ASSEMBLED) ".fill 32, 1, 0x90\n"
    ".popsection");
extern "C" const uint8_t instruction_rows[];

namespace {

#define LISTED(text, privileged) {text, privileged},
const struct {
  const char* text;
  bool privileged;
} INSTRUCTIONS[] = {ROWS(LISTED)};

TEST(PrivilegedInstruction, IsToldByItsOpcodeAndModRMByte) {
  const uint8_t* at = instruction_rows;
  for (const auto& row : INSTRUCTIONS) {
    EXPECT_EQ(rt::platform::privileged_instruction(reinterpret_cast<uintptr_t>(at)), row.privileged)
        << row.text;
    at += 16;
  }
}

}  // namespace
