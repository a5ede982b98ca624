// The floating-point settings of riscv64, which has no floating-point traps:
// round to nearest, flags clear.
#include "platform.hpp"

namespace rt::platform {

void RESET_FLOATING_POINT() {
  asm volatile("fscsr zero");
}

}  // namespace rt::platform
