// Start-up: the console flag, the binding of the standard records, and the
// entry that prepares the process and runs the program's main routine.
#include "internal/startup.hpp"

#include "internal/program_stack.hpp"
#include "internal/text.hpp"
#include "platform.hpp"

namespace rt {

constinit uint8_t ISCONSOLE = 0;
// Invalid operation, division by zero and overflow trap; denormal, underflow
// and precision are masked; 64-bit significand; round to nearest.
constinit uint16_t FPUCW = 0x1332;

namespace {

// A standard record: open on the handle, every line end passed on at once.
void OPENSTDIO(TEXTREC& t, int32_t mode, int32_t handle) {
  ASSIGN(t, "");
  t.HANDLE = handle;
  t.MODE = mode;
  BIND_HOOKS(t, true);
}

}  // namespace

void INITIALIZEUNITS() {
  STDINPUTHANDLE = platform::STANDARD_HANDLE(platform::STDSTREAM::INPUT_STREAM);
  STDOUTPUTHANDLE = platform::STANDARD_HANDLE(platform::STDSTREAM::OUTPUT_STREAM);
  STDERRORHANDLE = platform::STANDARD_HANDLE(platform::STDSTREAM::ERROR_STREAM);
  if (ISCONSOLE != 0) {
    OPENSTDIO(INPUT, FMINPUT, STDINPUTHANDLE);
    OPENSTDIO(OUTPUT, FMOUTPUT, STDOUTPUTHANDLE);
    OPENSTDIO(STDOUT, FMOUTPUT, STDOUTPUTHANDLE);
    OPENSTDIO(STDERR, FMOUTPUT, STDERRORHANDLE);
  }
  INOUTRES = 0;
  ERRNO = 0;
}

void EXE_ENTRY(MAINROUTINE main) {
  platform::INSTALL_EXCEPTION_HANDLERS();
  PREPARE_PROGRAM_STACK();
  platform::RESET_FLOATING_POINT();
  platform::CALL_ON_PROGRAM_STACK(main);
}

}  // namespace rt
