// The fault filter: looks a fault up in the fault table and redirects the
// faulting thread into JUMPTOHANDLEERRORFRAME, which reports it as a run-time
// error raised by the faulting instruction itself.
#include "internal/faults.hpp"

#include "internal/program_stack.hpp"
#include "platform.hpp"

namespace rt {

constinit uint8_t EXCEPT_LEVEL = 0;
constinit CODEPOINTER EXCEPT_EIP[EXCEPT_QUEUE_SIZE]{};
constinit uint8_t EXCEPT_ERROR[EXCEPT_QUEUE_SIZE]{};
constinit bool RESET_FPU[EXCEPT_QUEUE_SIZE]{};

namespace {

struct FAULTROW {
  FAULTKIND kind;
  uint8_t error;
  bool reset_fpu;
};

constexpr FAULTROW FAULT_TABLE[] = {
    {FAULTKIND::SINGLE_STEP, 217, false},           {FAULTKIND::ACCESS_VIOLATION, 216, false},
    {FAULTKIND::IN_PAGE_ERROR, 217, false},         {FAULTKIND::ILLEGAL_INSTRUCTION, 217, false},
    {FAULTKIND::ARRAY_BOUNDS_EXCEEDED, 201, false}, {FAULTKIND::FLT_DENORMAL_OPERAND, 216, true},
    {FAULTKIND::FLT_DIVIDE_BY_ZERO, 200, true},     {FAULTKIND::FLT_INVALID_OPERATION, 207, true},
    {FAULTKIND::FLT_OVERFLOW, 205, true},           {FAULTKIND::FLT_STACK_CHECK, 207, true},
    {FAULTKIND::FLT_UNDERFLOW, 206, true},          {FAULTKIND::INT_DIVIDE_BY_ZERO, 200, false},
    {FAULTKIND::INT_OVERFLOW, 215, false},          {FAULTKIND::PRIV_INSTRUCTION, 217, false},
    {FAULTKIND::STACK_OVERFLOW, 202, false},
};

// Redirections made in this run. Each one starts the exit sequence again, so
// a report that keeps faulting ends after this many instead of looping.
constexpr uint8_t MAX_REDIRECTIONS = 16;
constinit uint8_t redirections = 0;

}  // namespace

int32_t EXCEPTION_FILTER(FAULTKIND kind, FAULTCONTEXT& context) {
  const FRAMEPOINTER frame = IN_PROGRAM_STACK(context.FRAME) ? context.FRAME : 0;
  for (const FAULTROW& row : FAULT_TABLE) {
    if (row.kind == kind) return SYSHANDLEERRORFRAME(row.error, frame, row.reset_fpu, context);
  }
  return FILTER_CONTINUE_SEARCH;
}

int32_t SYSHANDLEERRORFRAME(uint8_t error, FRAMEPOINTER frame, bool reset, FAULTCONTEXT& context) {
  if (frame == 0) return FILTER_CONTINUE_SEARCH;
  if (EXCEPT_LEVEL == EXCEPT_QUEUE_SIZE || redirections == MAX_REDIRECTIONS) {
    return FILTER_CONTINUE_SEARCH;
  }
  ++redirections;
  EXCEPT_EIP[EXCEPT_LEVEL] = context.IP;
  EXCEPT_ERROR[EXCEPT_LEVEL] = error;
  RESET_FPU[EXCEPT_LEVEL] = reset;
  ++EXCEPT_LEVEL;
  context.IP = reinterpret_cast<CODEPOINTER>(&JUMPTOHANDLEERRORFRAME);
  return FILTER_CONTINUE_EXECUTION;
}

// Entered, not called: the platform resumes the faulting thread here with the
// faulting frame pointer and the fault address as its return address, so its
// own frame record links to the faulting routine's as if that had called it.
void JUMPTOHANDLEERRORFRAME() {
  if (EXCEPT_LEVEL > 0) --EXCEPT_LEVEL;
  const uint8_t level = EXCEPT_LEVEL;
  if (RESET_FPU[level]) platform::RESET_FLOATING_POINT();
  HANDLEERRORADDRFRAME(EXCEPT_ERROR[level], EXCEPT_EIP[level], GET_CALLER_FRAME(GET_FRAME()));
}

}  // namespace rt
