// The layout of the program stack region, shared by the start-up and the fault
// handler of the Linux layer.
#pragma once

#include <cstdint>

namespace rt::platform {

constexpr uintptr_t PAGE_SIZE = 4096;
constexpr uintptr_t PROGRAM_STACK_SIZE = 128 * 1024;
// Room for a report and for reports of faults within it, when the fault left
// no room on the program stack.
constexpr uintptr_t RESERVE_SIZE = 64 * 1024;
constexpr uintptr_t STACK_REGION_SIZE = PAGE_SIZE + RESERVE_SIZE + PAGE_SIZE + PROGRAM_STACK_SIZE;

uintptr_t region_low();
uintptr_t reserve_low();
uintptr_t guard_low();
uintptr_t program_low();
uintptr_t region_high();

}  // namespace rt::platform
