// The probe's faults of x86 instructions, for 32- and 64-bit programs. Each
// keeps a frame record (its volatile local lives on the stack).
#include <cstdint>

#include "probe.hpp"

namespace {

volatile int32_t one = 1;
// A non-canonical address on x86-64, the system's half on 32-bit Windows.
const uint16_t* volatile far_away = reinterpret_cast<const uint16_t*>(UINTPTR_MAX / 2 + 1);

}  // namespace

extern "C" {

RT_ROUTINE void PROBE_ILLEGAL() {
  volatile int32_t value = one;
  asm volatile("ud2" : : "m"(value));
}

RT_ROUTINE void PROBE_BREAKPOINT() {
  asm volatile("int3");
}

RT_ROUTINE void PROBE_PRIVILEGED() {
  volatile int32_t value = one;
  asm volatile("hlt" : : "m"(value));
}

// A member of the system group 0x0F 0x00 that programs may run, with its
// memory operand out of their reach: an access, not a privileged instruction.
RT_ROUTINE void PROBE_SYSTEM_ACCESS() {
  volatile int32_t value = one;
  asm volatile("verw %0" : : "m"(*far_away), "m"(value));
}

// The trap flag, set by popf, traps once the instruction after the popf has
// run: the report names the second nop.
RT_ROUTINE void PROBE_SINGLE_STEP() {
  volatile int32_t value = one;
  uintptr_t flags;
  asm volatile("pushf\n\tpop %0\n\tor $0x100, %0\n\tpush %0\n\tpopf\n\tnop\n\tnop"
               : "=&r"(flags)
               : "m"(value));
}

// A ninth push onto the x87 unit's eight registers; the fault is raised at
// the next instruction that waits for the unit.
RT_ROUTINE void PROBE_X87_STACK() {
  volatile int32_t value = one;
  asm volatile("fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfwait"
               :
               : "m"(value));
}

}  // extern "C"

const PROCESSORFAULT PROCESSOR_FAULTS[] = {
    {"illegal", PROBE_ILLEGAL},
    {"breakpoint", PROBE_BREAKPOINT},
    {"privileged", PROBE_PRIVILEGED},
    {"single_step", PROBE_SINGLE_STEP},
    {"x87_stack", PROBE_X87_STACK},
    {"system_access", PROBE_SYSTEM_ACCESS},
    {nullptr, nullptr},
};
