// The fault filter: hardware faults become numbered run-time errors reported
// like any failed check, through a short redirection queue that leaves the
// fault context before the report is written.
#pragma once

#include <cstdint>

#include "internal/error.hpp"

namespace rt {

// The fault kinds the filter knows; the platform layer classifies its own
// fault notifications into these.
enum class FAULTKIND : uint8_t {
  UNHANDLED,  // not in the fault table: the operating system's own handling
  SINGLE_STEP,
  ACCESS_VIOLATION,
  IN_PAGE_ERROR,
  ILLEGAL_INSTRUCTION,
  ARRAY_BOUNDS_EXCEEDED,
  FLT_DENORMAL_OPERAND,
  FLT_DIVIDE_BY_ZERO,
  FLT_INVALID_OPERATION,
  FLT_OVERFLOW,
  FLT_STACK_CHECK,
  FLT_UNDERFLOW,
  INT_DIVIDE_BY_ZERO,
  INT_OVERFLOW,
  PRIV_INSTRUCTION,
  STACK_OVERFLOW,
};

// The registers of the faulting context that the filter reads and redirects.
struct FAULTCONTEXT {
  CODEPOINTER IP;      // the faulting instruction; on redirection, where to resume
  FRAMEPOINTER FRAME;  // the frame pointer
};

constexpr uint8_t EXCEPT_QUEUE_SIZE = 16;

extern uint8_t EXCEPT_LEVEL;
extern CODEPOINTER EXCEPT_EIP[EXCEPT_QUEUE_SIZE];
extern uint8_t EXCEPT_ERROR[EXCEPT_QUEUE_SIZE];
extern bool RESET_FPU[EXCEPT_QUEUE_SIZE];

// Filter results.
constexpr int32_t FILTER_CONTINUE_SEARCH = 0;      // the operating system's own handling
constexpr int32_t FILTER_CONTINUE_EXECUTION = -1;  // resume at context.IP

// Only a fault runs these, so they are compiled for size.
[[gnu::cold]] int32_t EXCEPTION_FILTER(FAULTKIND kind, FAULTCONTEXT& context);
[[gnu::cold]] int32_t SYSHANDLEERRORFRAME(uint8_t error, FRAMEPOINTER frame, bool reset,
                                          FAULTCONTEXT& context);
[[noreturn]] void JUMPTOHANDLEERRORFRAME();

}  // namespace rt
