// The process entry and the memory functions the compiler emits calls to.
// Linked into the shipped programs only: hosted test executables have the C
// library's.
#include <cstddef>

#include "runtime/startup.hpp"

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

void* memcpy(void* destination, const void* source, size_t count) {
  void* result = destination;
  asm volatile("rep movsb" : "+D"(destination), "+S"(source), "+c"(count) : : "memory");
  return result;
}

void* memset(void* destination, int value, size_t count) {
  void* result = destination;
  asm volatile("rep stosb" : "+D"(destination), "+c"(count) : "a"(value) : "memory");
  return result;
}

}  // extern "C"
