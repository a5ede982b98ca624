// The switch onto the program stack, for 32- and 64-bit x86: the stack
// pointer moves to the stack's top and the main routine is called with a nil
// frame link, so the chain of frame records ends at it and its return address
// lies here.
#include "internal/program_stack.hpp"
#include "platform.hpp"

namespace rt::platform {

void CALL_ON_PROGRAM_STACK(MAINROUTINE main) {
  const uintptr_t top = rt::PROGRAM_STACK_TOP();
#if defined(__x86_64__)
  asm volatile(
      "mov %0, %%rsp\n\t"
      "xor %%ebp, %%ebp\n\t"
      "call *%1\n\t"
      "ud2"
      :
      : "r"(top), "r"(main)
      : "memory");
#else
  asm volatile(
      "mov %0, %%esp\n\t"
      "xor %%ebp, %%ebp\n\t"
      "call *%1\n\t"
      "ud2"
      :
      : "r"(top), "r"(main)
      : "memory");
#endif
  __builtin_unreachable();  // the main routine ends the process itself
}

}  // namespace rt::platform
