// The probe's faults of riscv64 instructions. Each keeps a frame record (its
// volatile local lives on the stack).
#include <cstdint>

#include "probe.hpp"

namespace {

volatile int32_t one = 1;

}  // namespace

extern "C" {

RT_ROUTINE void PROBE_ILLEGAL() {
  volatile int32_t value = one;
  asm volatile("unimp" : : "m"(value));
}

RT_ROUTINE void PROBE_BREAKPOINT() {
  asm volatile("ebreak");
}

// A register of the supervisor: the processor refuses it to a program as an
// illegal instruction.
RT_ROUTINE void PROBE_PRIVILEGED() {
  volatile int32_t value = one;
  uint64_t status;
  asm volatile("csrr %0, sstatus" : "=r"(status) : "m"(value));
}

}  // extern "C"

const PROCESSORFAULT PROCESSOR_FAULTS[] = {
    {"illegal", PROBE_ILLEGAL},
    {"breakpoint", PROBE_BREAKPOINT},
    {"privileged", PROBE_PRIVILEGED},
    {nullptr, nullptr},
};
