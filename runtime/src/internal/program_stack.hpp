// The program stack: a fixed region in zero-filled static storage, laid out
// from low to high addresses as a guard page, the report reserve, a guard
// page, and the 128 KiB stack proper. Exhaustion runs into the upper guard;
// the report of it is then written on the reserve below.
#pragma once

#include <cstdint>

#include "internal/error.hpp"

namespace rt {

namespace program_stack {

constexpr uintptr_t PAGE_SIZE = 4096;
constexpr uintptr_t PROGRAM_STACK_SIZE = 128 * 1024;
// Room for a report and for reports of faults within it, when the fault left
// no room on the program stack.
constexpr uintptr_t RESERVE_SIZE = 64 * 1024;
constexpr uintptr_t REGION_SIZE = PAGE_SIZE + RESERVE_SIZE + PAGE_SIZE + PROGRAM_STACK_SIZE;

uintptr_t region_low();
uintptr_t reserve_low();
uintptr_t guard_low();
uintptr_t program_low();
uintptr_t region_high();

// Whether an address lies in one of the two guard pages.
bool in_guard_page(uintptr_t address);

// Room below the faulting stack pointer that a report needs; with less, the
// report goes to the reserve.
constexpr uintptr_t REPORT_ROOM = 16 * 1024;

}  // namespace program_stack

struct STACKBOUNDS {
  uintptr_t LOW;
  uintptr_t HIGH;
};

// Makes the guard pages inaccessible; without them the process ends at once.
void PREPARE_PROGRAM_STACK();
uintptr_t PROGRAM_STACK_TOP();
// Whether a frame pointer's record lies in the program stack.
bool IN_PROGRAM_STACK(FRAMEPOINTER frame);
// The stack that a frame pointer's record lies on, for the dump's walk; a
// record outside the program stack gets the widest bounds above itself.
STACKBOUNDS STACK_OF(FRAMEPOINTER frame);

// Whether a fault is stack exhaustion: an access to a guard page, or a stack
// pointer below the program stack.
bool STACK_EXHAUSTED(uintptr_t fault_address, uintptr_t sp);
// Where a report of a fault at stack pointer sp begins its stack: below sp
// and the red_zone the calling convention keeps there while the stack has
// room for a report, on the reserve when it has not; 0 when there is no
// room anywhere.
uintptr_t REPORT_STACK(uintptr_t sp, uintptr_t red_zone);

}  // namespace rt
