// The probe's faults of arm64 instructions. Each keeps a frame record (its
// volatile local lives on the stack).
#include <cstdint>

#include "probe.hpp"

namespace {

volatile int32_t one = 1;

}  // namespace

extern "C" {

RT_ROUTINE void PROBE_ILLEGAL() {
  volatile int32_t value = one;
  asm volatile("udf #0" : : "m"(value));
}

RT_ROUTINE void PROBE_BREAKPOINT() {
  asm volatile("brk #0");
}

// A system register of the kernel's level: the processor refuses it to a
// program as an undefined instruction.
RT_ROUTINE void PROBE_PRIVILEGED() {
  volatile int32_t value = one;
  uint64_t control;
  asm volatile("mrs %0, sctlr_el1" : "=r"(control) : "m"(value));
}

}  // extern "C"

const PROCESSORFAULT PROCESSOR_FAULTS[] = {
    {"illegal", PROBE_ILLEGAL},
    {"breakpoint", PROBE_BREAKPOINT},
    {"privileged", PROBE_PRIVILEGED},
    {nullptr, nullptr},
};
