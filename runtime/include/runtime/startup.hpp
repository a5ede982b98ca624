// Process start and end as a program sees them: the console flag, the binding
// of the standard records, the main routine each program defines, and the
// exit sequence that ends every run.
#pragma once

#include <cstdint>

namespace rt {

using MAINROUTINE = void (*)();

extern uint8_t ISCONSOLE;

// Each program defines this as its main routine, which ends with DO_EXIT.
extern const MAINROUTINE PROGRAM_MAIN;

// Binds INPUT, OUTPUT, STDOUT and STDERR to the standard handles (when
// ISCONSOLE is set) and clears the pending I/O result.
void INITIALIZEUNITS();

// The report if a run-time error is due, then the process end with EXITCODE.
[[noreturn]] void DO_EXIT();

// The program stack's lowest byte, above its guard.
extern const uint8_t* const PROGRAM_STACK_FLOOR;

// The bytes the program stack has left below the caller's frame, before its
// guard. Inline, so that asking costs the caller no call and no register
// kept across one. (A hosted test's stack lies above the program stack: it
// gets more room than any caller asks for.)
[[gnu::always_inline]] inline uintptr_t STACK_ROOM() {
  return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) -
         reinterpret_cast<uintptr_t>(PROGRAM_STACK_FLOOR);
}

}  // namespace rt
