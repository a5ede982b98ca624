// The floating-point settings of x86: the x87 unit reset and loaded with
// FPUCW, and, where SSE arithmetic is in use, the same three exceptions
// unmasked in MXCSR, so a division by zero in program code traps either way.
#include "internal/startup.hpp"
#include "platform.hpp"

namespace rt::platform {

void RESET_FLOATING_POINT() {
  asm volatile("fninit\n\tfldcw %0" : : "m"(FPUCW));
#if defined(__SSE__)
  // All flags clear; invalid operation, division by zero and overflow unmasked.
  const uint32_t mxcsr = 0x1F80 & ~(0x0080u | 0x0200u | 0x0400u);
  asm volatile("ldmxcsr %0" : : "m"(mxcsr));
#endif
}

}  // namespace rt::platform
