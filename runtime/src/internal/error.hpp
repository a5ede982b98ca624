// The run-time error exit: the error state, the error entries, the report with
// its stack dump, and the exit sequence shared by the normal end.
#pragma once

#include <cstdint>

#include "frame_record.hpp"
#include "runtime/shortstring.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"

namespace rt {

using CODEPOINTER = uintptr_t;   // an address in code
using FRAMEPOINTER = uintptr_t;  // a frame pointer, which designates a frame record

extern uint16_t EXITCODE;
extern uint16_t ERRORCODE;
extern CODEPOINTER ERRORADDR;  // non-zero: a report is due
extern FRAMEPOINTER ERRORBASE;

constexpr uint16_t MAX_FRAME_DUMP = 8;

// Run-time error numbers raised by the checks and the fault filter.
constexpr int32_t RTE_DIVISION_BY_ZERO = 200;
constexpr int32_t RTE_RANGE = 201;
constexpr int32_t RTE_STACK_OVERFLOW = 202;
constexpr int32_t RTE_FLOAT_OVERFLOW = 205;
constexpr int32_t RTE_FLOAT_UNDERFLOW = 206;
constexpr int32_t RTE_INVALID_FLOAT = 207;
constexpr int32_t RTE_OVERFLOW = 215;
constexpr int32_t RTE_ACCESS_VIOLATION = 216;
constexpr int32_t RTE_PRIVILEGED = 217;

// Frame primitives over the frame-pointer chain. A frame pointer designates
// a frame record, [link, return address], where its processor keeps it
// (frame_record.hpp, in the processor's folder); the link is the caller's
// frame pointer.
[[gnu::always_inline]] inline FRAMEPOINTER GET_FRAME() {
  return reinterpret_cast<FRAMEPOINTER>(__builtin_frame_address(0));
}
inline uintptr_t FRAME_RECORD(FRAMEPOINTER frame) {
  return frame + FRAME_RECORD_OFFSET;
}
inline CODEPOINTER GET_CALLER_ADDR(FRAMEPOINTER frame) {
  return frame == 0 ? 0 : reinterpret_cast<const CODEPOINTER*>(FRAME_RECORD(frame))[1];
}
inline FRAMEPOINTER GET_CALLER_FRAME(FRAMEPOINTER frame) {
  return frame == 0 ? 0 : reinterpret_cast<const FRAMEPOINTER*>(FRAME_RECORD(frame))[0];
}

// Error entries; none returns.
[[noreturn]] void HANDLEERROR(int32_t errorno);
[[noreturn]] void HANDLEERRORFRAME(int32_t errorno, FRAMEPOINTER frame);
[[noreturn]] void HANDLEERRORADDRFRAME(int32_t errorno, CODEPOINTER addr, FRAMEPOINTER frame);
[[noreturn]] void INTERNAL_BREAK_ERROR(int32_t errorno, CODEPOINTER addr, FRAMEPOINTER frame);

// Exit sequence (DO_EXIT): the report if one is due, then the process end.
void INTERNALEXIT();
[[noreturn]] void SYSTEM_EXIT();

// Report formatting. Only a run-time error's report runs it, so it is
// compiled for size, away from the code of a normal run.
[[gnu::cold]] SHORTSTRING HEXSTR(uint32_t value, uint8_t digits);
[[gnu::cold]] SHORTSTRING SYSBACKTRACESTR(CODEPOINTER addr);
using BACKTRACESTRFUNCTYPE = SHORTSTRING (*)(CODEPOINTER addr);
extern BACKTRACESTRFUNCTYPE BACKTRACESTRFUNC;
[[gnu::cold]] void DUMP_STACK(TEXTREC& f, FRAMEPOINTER frame);

}  // namespace rt
