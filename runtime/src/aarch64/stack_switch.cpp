// The switch onto the program stack on arm64: the stack pointer moves to the
// stack's top and the main routine is called with a nil frame link, so the
// chain of frame records ends at it and its return address lies here.
#include "internal/program_stack.hpp"
#include "platform.hpp"

namespace rt::platform {

void CALL_ON_PROGRAM_STACK(MAINROUTINE main) {
  const uintptr_t top = rt::PROGRAM_STACK_TOP();
  asm volatile(
      "mov sp, %0\n\t"
      "mov x29, #0\n\t"
      "blr %1\n\t"
      "udf #0"
      :
      : "r"(top), "r"(main)
      : "memory");
  __builtin_unreachable();  // the main routine ends the process itself
}

}  // namespace rt::platform
