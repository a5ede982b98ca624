// The program stack and the process end.
//
// The program stack is a fixed region in zero-filled static storage, laid out
// from low to high addresses as: a guard page, the report reserve, a guard
// page, and the 128 KiB stack proper. Exhaustion runs into the upper guard;
// the report of it is then written on the reserve below.
#include "linux/kernel.hpp"
#include "linux/program_stack.hpp"
#include "platform.hpp"

namespace rt::platform {

namespace {
alignas(PAGE_SIZE) constinit uint8_t stack_region[STACK_REGION_SIZE];
}

uintptr_t region_low() {
  return reinterpret_cast<uintptr_t>(stack_region);
}
uintptr_t reserve_low() {
  return region_low() + PAGE_SIZE;
}
uintptr_t guard_low() {
  return reserve_low() + RESERVE_SIZE;
}
uintptr_t program_low() {
  return guard_low() + PAGE_SIZE;
}
uintptr_t region_high() {
  return program_low() + PROGRAM_STACK_SIZE;
}

void PREPARE_PROGRAM_STACK() {
  if (syscalls.mprotect(reinterpret_cast<void*>(region_low()), PAGE_SIZE, PROT_NONE) != 0 ||
      syscalls.mprotect(reinterpret_cast<void*>(guard_low()), PAGE_SIZE, PROT_NONE) != 0) {
    // Without its guard a deep recursion would overwrite other data silently.
    END_PROCESS(RTE_STACK_OVERFLOW);
  }
}

uintptr_t PROGRAM_STACK_TOP() {
  return region_high();
}

bool IN_PROGRAM_STACK(uintptr_t address) {
  return address >= region_low() && address < region_high();
}

STACKBOUNDS STACK_OF(FRAMEPOINTER frame) {
  if (IN_PROGRAM_STACK(frame)) return {region_low(), region_high()};
  return {frame, UINTPTR_MAX};
}

void END_PROCESS(uint32_t code) {
  syscalls.exit_group(static_cast<int>(code));
  __builtin_trap();  // exit_group does not return
}

}  // namespace rt::platform
