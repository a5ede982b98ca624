// The start-up's internals: the floating-point control word and the entry
// that the platform's process entry calls.
#pragma once

#include <cstdint>

#include "runtime/startup.hpp"

namespace rt {

extern uint16_t FPUCW;

// Installs the fault filter, prepares the program stack and the floating-point
// unit, and calls main with a nil frame link.
[[noreturn]] void EXE_ENTRY(MAINROUTINE main);

}  // namespace rt
