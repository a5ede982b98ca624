// The platform interface: everything the portable runtime needs from the
// operating system. Each platform implements it in its own folder; no header
// outside that folder names an operating-system type or constant.
#pragma once

#include <cstdint>

#include "runtime/error.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"

namespace rt::platform {

// Files. A failed platform call sets ERRNO to a platform code (the numbering
// of the translation table) and calls ERRNO2INOUTRES.
void DO_OPEN(TEXTREC& t, const char* name, int32_t mode);  // sets t.HANDLE
int32_t DO_READ(int32_t handle, uint8_t* buffer, int32_t count);
int32_t DO_WRITE(int32_t handle, const uint8_t* buffer, int32_t count);
void DO_CLOSE(int32_t handle);
bool DO_ISDEVICE(int32_t handle);  // a character device, such as a terminal

extern const int32_t STDINPUTHANDLE;
extern const int32_t STDOUTPUTHANDLE;
extern const int32_t STDERRORHANDLE;

// The program stack: a fixed region with a guard below it, and a reserve
// below the guard on which a report is written after stack exhaustion.
struct STACKBOUNDS {
  uintptr_t LOW;
  uintptr_t HIGH;
};
void PREPARE_PROGRAM_STACK();
bool IN_PROGRAM_STACK(uintptr_t address);
// The stack that a frame record lies on, for the dump's walk; a frame outside
// the program stack gets the widest bounds above itself.
STACKBOUNDS STACK_OF(FRAMEPOINTER frame);
[[noreturn]] void CALL_ON_PROGRAM_STACK(MAINROUTINE main);

// Puts the floating-point unit into the state FPUCW describes, flags cleared.
void RESET_FLOATING_POINT();

[[noreturn]] void END_PROCESS(uint32_t code);

}  // namespace rt::platform
