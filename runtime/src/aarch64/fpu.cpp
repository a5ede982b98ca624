// The floating-point settings of arm64: the state FPUCW describes. Invalid
// operation, division by zero and overflow are set to trap, which a
// processor that has no such traps ignores; round to nearest; flags clear.
#include "platform.hpp"

namespace rt::platform {

void RESET_FLOATING_POINT() {
  constexpr uint64_t TRAPS = (1u << 8) | (1u << 9) | (1u << 10);  // IOE, DZE, OFE
  asm volatile("msr fpcr, %0\n\tmsr fpsr, xzr" : : "r"(TRAPS));
}

}  // namespace rt::platform
