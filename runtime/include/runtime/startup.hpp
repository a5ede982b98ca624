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

}  // namespace rt
