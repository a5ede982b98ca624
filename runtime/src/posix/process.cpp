// The program stack, the floating-point settings and the process end.
//
// The program stack is a fixed region in zero-filled static storage, laid out
// from low to high addresses as: a guard page, the report reserve, a guard
// page, and the 128 KiB stack proper. Exhaustion runs into the upper guard;
// the report of it is then written on the reserve below.
#include "platform.hpp"
#include "posix/kernel.hpp"
#include "posix/program_stack.hpp"

namespace rt::posix {

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

}  // namespace rt::posix

namespace rt::platform {

using posix::syscalls;

void PREPARE_PROGRAM_STACK() {
  if (syscalls.mprotect(reinterpret_cast<void*>(posix::region_low()), posix::PAGE_SIZE,
                        PROT_NONE) != 0 ||
      syscalls.mprotect(reinterpret_cast<void*>(posix::guard_low()), posix::PAGE_SIZE, PROT_NONE) !=
          0) {
    // Without its guard a deep recursion would overwrite other data silently.
    END_PROCESS(RTE_STACK_OVERFLOW);
  }
}

bool IN_PROGRAM_STACK(uintptr_t address) {
  return address >= posix::region_low() && address < posix::region_high();
}

STACKBOUNDS STACK_OF(FRAMEPOINTER frame) {
  if (IN_PROGRAM_STACK(frame)) return {posix::region_low(), posix::region_high()};
  return {frame, UINTPTR_MAX};
}

void CALL_ON_PROGRAM_STACK(MAINROUTINE main) {
  // A nil frame link ends the chain at the main routine, whose return address
  // lies here. The main routine ends the process itself.
  asm volatile(
      "mov %0, %%rsp\n\t"
      "xor %%ebp, %%ebp\n\t"
      "call *%1\n\t"
      "ud2"
      :
      : "r"(posix::region_high()), "r"(main)
      : "memory");
  __builtin_unreachable();
}

void RESET_FLOATING_POINT() {
  // MXCSR: all flags clear, invalid operation, division by zero and overflow
  // unmasked, like the x87 control word.
  const uint32_t mxcsr = 0x1F80 & ~(0x0080u | 0x0200u | 0x0400u);
  asm volatile("fninit\n\tfldcw %0\n\tldmxcsr %1" : : "m"(FPUCW), "m"(mxcsr));
}

void END_PROCESS(uint32_t code) {
  syscalls.exit_group(static_cast<int>(code));
  __builtin_trap();  // exit_group does not return
}

}  // namespace rt::platform
