// Run-time errors caught in the process that raised them, for tests and fuzz
// targets that call the programs' routines directly: the error exit's system
// calls are redirected through the Linux layer's table, so that the exit
// jumps back to the caller instead of ending the process, the report goes
// nowhere, and the test process keeps its own signal handlers.
#pragma once

#include <csetjmp>
#include <cstdint>

#include "internal/error.hpp"
#include "linux/syscalls.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"

namespace caughtexit {

inline std::jmp_buf exit_jump;
inline int exit_status = -1;

inline void exit_to_caller(int status) {
  exit_status = status;
  std::longjmp(exit_jump, 1);
}
inline long keep_handlers(int, const void*, void*, unsigned long) {
  return 0;
}
inline long discard(int, const void*, unsigned long count) {
  return static_cast<long>(count);
}

// Redirects the exit and binds the standard records; once per process.
inline void prepare() {
  rt::platform::syscalls.exit_group = exit_to_caller;
  rt::platform::syscalls.rt_sigaction = keep_handlers;
  rt::platform::syscalls.write = discard;
  rt::ISCONSOLE = 1;
  rt::INITIALIZEUNITS();
}

struct Ending {
  int error = 0;  // 0: no run-time error
  uintptr_t address = 0;
};

// Calls routine; a run-time error it raises ends it here, with the error
// state cleared for the next call.
template <typename ROUTINE>
Ending run(ROUTINE routine) {
  Ending ending;
  exit_status = -1;
  if (setjmp(exit_jump) == 0) {
    routine();
  } else {
    ending.error = exit_status;
    ending.address = rt::ERRORADDR;
    rt::INOUTRES = 0;
    rt::ERRORADDR = 0;
    rt::ERRORCODE = 0;
    rt::EXITCODE = 0;
    rt::ERRORBASE = 0;
  }
  return ending;
}

}  // namespace caughtexit
