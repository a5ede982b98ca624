// Process start-up: the console flag, the binding of the standard records,
// and the entry that runs a program's main routine on the program stack.
#pragma once

#include <cstdint>

namespace rt {

using MAINROUTINE = void (*)();

extern uint8_t ISCONSOLE;
extern uint16_t FPUCW;

// Each program defines this as its main routine, which ends with DO_EXIT.
extern const MAINROUTINE PROGRAM_MAIN;

// Binds INPUT, OUTPUT, STDOUT and STDERR to the standard handles (when
// ISCONSOLE is set) and clears the pending I/O result.
void INITIALIZEUNITS();

// Installs the fault filter, prepares the program stack and the floating-point
// unit, and calls main with a nil frame link.
[[noreturn]] void EXE_ENTRY(MAINROUTINE main);

}  // namespace rt
