// Start-up: the console flag, the binding of the standard records, and the
// entry that prepares the process and runs the program's main routine.
#include "runtime/startup.hpp"

#include "platform.hpp"
#include "runtime/faults.hpp"
#include "runtime/text.hpp"

namespace rt {

constinit uint8_t ISCONSOLE = 0;
// Invalid operation, division by zero and overflow trap; denormal, underflow
// and precision are masked; 64-bit significand; round to nearest.
constinit uint16_t FPUCW = 0x1332;

namespace {

void OPENSTDIO(TEXTREC& t, int32_t mode, int32_t handle) {
  ASSIGN(t, "");
  t.HANDLE = handle;
  t.MODE = mode;
  t.CLOSEHOOK = FILECLOSEFUNC;
  if (mode == FMINPUT) {
    t.TRANSFERHOOK = FILEREADFUNC;
  } else {
    // Every line end reaches the platform at once.
    t.TRANSFERHOOK = FILEWRITEFUNC;
    t.FLUSHHOOK = FILEWRITEFUNC;
  }
}

}  // namespace

void INITIALIZEUNITS() {
  if (ISCONSOLE != 0) {
    OPENSTDIO(INPUT, FMINPUT, platform::STDINPUTHANDLE);
    OPENSTDIO(OUTPUT, FMOUTPUT, platform::STDOUTPUTHANDLE);
    OPENSTDIO(STDOUT, FMOUTPUT, platform::STDOUTPUTHANDLE);
    OPENSTDIO(STDERR, FMOUTPUT, platform::STDERRORHANDLE);
  }
  INOUTRES = 0;
  ERRNO = 0;
}

void EXE_ENTRY(MAINROUTINE main) {
  INSTALL_EXCEPTION_HANDLERS();
  platform::PREPARE_PROGRAM_STACK();
  platform::RESET_FLOATING_POINT();
  platform::CALL_ON_PROGRAM_STACK(main);
}

}  // namespace rt
