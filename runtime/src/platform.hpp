// The platform interface: everything the portable runtime needs from the
// operating system, as native calls that return a count or a platform code.
// No platform call sets ERRNO or INOUTRES; the portable rules do that. Each
// platform implements this header in its own folder, and no header outside
// those folders names an operating-system type or constant.
//
// Platform codes are numbered as the translation into I/O results expects:
// 2 a missing file, 3 a missing path, 5 access refused, 32 a file in use,
// 109 a broken pipe, and so on. 0 is success.
#pragma once

#include <cstdint>

#include "internal/error.hpp"
#include "runtime/startup.hpp"

namespace rt::platform {

// --- Files ---------------------------------------------------------------------

// What one native transfer moved, or the code of its failure.
struct TRANSFER {
  int32_t COUNT;
  int32_t CODE;  // 0 when the call succeeded
};

// Opens name for reading an existing file, or for writing a file created or
// emptied, shared as FILEMODE says. handle gets the native result, which is
// UNUSEDHANDLE or another invalid value on failure; the result is the code.
int32_t NATIVE_OPEN(const char* name, bool for_writing, uint8_t filemode, int32_t& handle);
TRANSFER NATIVE_READ(int32_t handle, uint8_t* buffer, int32_t count);         // one call
TRANSFER NATIVE_WRITE(int32_t handle, const uint8_t* buffer, int32_t count);  // one call
void NATIVE_CLOSE(int32_t handle);
bool DO_ISDEVICE(int32_t handle);  // a character device, such as a console

// Whether names are written with backslashes, so that DO_OPEN converts slashes.
extern const bool BACKSLASH_NAMES;

enum class STDSTREAM { INPUT_STREAM, OUTPUT_STREAM, ERROR_STREAM };
int32_t STANDARD_HANDLE(STDSTREAM stream);

// --- Faults --------------------------------------------------------------------

// Makes the platform hand its fault notifications to EXCEPTION_FILTER, and
// stops it again just before the process ends.
void INSTALL_EXCEPTION_HANDLERS();
void REMOVE_EXCEPTION_HANDLERS();

// --- Pages, the stack switch, the floating-point unit, the process end ----------

// Makes whole pages trap on their next access, for the program stack's
// guards; false when the platform refuses. The fault must leave the platform
// room to report it (see each platform's own note).
bool MAKE_GUARD_PAGES(uintptr_t low, uintptr_t size);
// Calls main on the program stack with a nil frame link; main ends the process.
[[noreturn]] void CALL_ON_PROGRAM_STACK(MAINROUTINE main);

// Puts the floating-point unit into the state FPUCW describes, flags cleared.
void RESET_FLOATING_POINT();

[[noreturn]] void END_PROCESS(uint32_t code);

}  // namespace rt::platform
