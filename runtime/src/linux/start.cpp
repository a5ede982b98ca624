// The process entry of a Linux x86-64 program: the kernel starts it at
// _start with an aligned stack and no frame. Linked into the shipped programs
// only: hosted test executables have the C library's entry.
#include "internal/startup.hpp"

extern "C" {

[[noreturn]] void rt_process_entry() {
  rt::ISCONSOLE = 1;
  rt::EXE_ENTRY(rt::PROGRAM_MAIN);
}

asm(R"(
  .text
  .globl _start
  .type _start,@function
_start:
  xor %ebp, %ebp
  and $-16, %rsp
  call rt_process_entry
  ud2
  .size _start, .-_start
)");

}  // extern "C"
