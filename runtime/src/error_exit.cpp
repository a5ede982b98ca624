// The error entries and the exit sequence. A run-time error records where it
// happened and goes straight to the exit: nothing runs in between, and
// nothing is closed or flushed on the way out.
#include "internal/error.hpp"
#include "platform.hpp"

namespace rt {

constinit uint16_t EXITCODE = 0;
constinit uint16_t ERRORCODE = 0;
constinit CODEPOINTER ERRORADDR = 0;
constinit FRAMEPOINTER ERRORBASE = 0;

void HANDLEERROR(int32_t errorno) {
  HANDLEERRORFRAME(errorno, GET_FRAME());
}

void HANDLEERRORFRAME(int32_t errorno, FRAMEPOINTER frame) {
  HANDLEERRORADDRFRAME(errorno, GET_CALLER_ADDR(frame), GET_CALLER_FRAME(frame));
}

void HANDLEERRORADDRFRAME(int32_t errorno, CODEPOINTER addr, FRAMEPOINTER frame) {
  ERRORCODE = static_cast<uint16_t>(errorno);
  INTERNAL_BREAK_ERROR(errorno, addr, frame);
}

void INTERNAL_BREAK_ERROR(int32_t errorno, CODEPOINTER addr, FRAMEPOINTER frame) {
  EXITCODE = static_cast<uint16_t>(errorno);
  ERRORADDR = addr;
  ERRORBASE = frame;
  DO_EXIT();
}

void DO_EXIT() {
  INTERNALEXIT();
  SYSTEM_EXIT();
}

namespace {

// The report of a run-time error, on standard output.
[[gnu::cold]] void WRITE_ERROR_REPORT() {
  static constexpr SHORTSTRING runtime_error = SHORTSTR("Runtime error ");
  static constexpr SHORTSTRING at = SHORTSTR(" at 0x");
  WRITE_STR(0, STDOUT, runtime_error);
  WRITE_SINT(0, STDOUT, ERRORCODE);
  WRITE_STR(0, STDOUT, at);
  WRITE_STR(0, STDOUT, HEXSTR(static_cast<uint32_t>(ERRORADDR), 8));
  WRITELN_END(STDOUT);
  WRITE_STR(0, STDOUT, BACKTRACESTRFUNC(ERRORADDR));
  WRITELN_END(STDOUT);
  DUMP_STACK(STDOUT, ERRORBASE);
  WRITELN_END(STDOUT);
}

}  // namespace

void INTERNALEXIT() {
  if (ERRORADDR != 0) WRITE_ERROR_REPORT();
}

void SYSTEM_EXIT() {
  platform::REMOVE_EXCEPTION_HANDLERS();
  platform::END_PROCESS(EXITCODE);
}

}  // namespace rt
