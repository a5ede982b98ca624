// The switch onto the program stack on riscv64: the stack pointer moves to
// the stack's top and the main routine is called with a nil frame link, so
// the chain of frame records ends at it and its return address lies here.
#include "internal/program_stack.hpp"
#include "platform.hpp"

namespace rt::platform {

void CALL_ON_PROGRAM_STACK(MAINROUTINE main) {
  const uintptr_t top = rt::PROGRAM_STACK_TOP();
  asm volatile(
      "mv sp, %0\n\t"
      "li s0, 0\n\t"
      "jalr %1\n\t"
      "unimp"
      :
      : "r"(top), "r"(main)
      : "memory");
  __builtin_unreachable();  // the main routine ends the process itself
}

}  // namespace rt::platform
