// Windows faults: the process's unhandled-exception filter. It looks each
// exception code up in the fault table's codes, takes the frame record from
// the context when the stack segment is the start-up's, and resumes a
// redirected fault in JUMPTOHANDLEERRORFRAME, called as if by the faulting
// instruction, on a stack with room for the report.
#include "internal/faults.hpp"
#include "internal/program_stack.hpp"
#include "platform.hpp"
#include "win32/kernel32.hpp"

namespace rt::platform {

namespace {

// The stack segment at start-up; a fault in another is no fault of ours.
constinit DWORD startup_stack_segment = 0;

struct FAULTCODE {
  DWORD code;
  FAULTKIND kind;
};

constexpr FAULTCODE FAULT_CODES[] = {
    {EXCEPTION_SINGLE_STEP, FAULTKIND::SINGLE_STEP},
    {EXCEPTION_ACCESS_VIOLATION, FAULTKIND::ACCESS_VIOLATION},
    {EXCEPTION_IN_PAGE_ERROR, FAULTKIND::IN_PAGE_ERROR},
    {EXCEPTION_ILLEGAL_INSTRUCTION, FAULTKIND::ILLEGAL_INSTRUCTION},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, FAULTKIND::ARRAY_BOUNDS_EXCEEDED},
    {EXCEPTION_FLT_DENORMAL_OPERAND, FAULTKIND::FLT_DENORMAL_OPERAND},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, FAULTKIND::FLT_DIVIDE_BY_ZERO},
    {EXCEPTION_FLT_INVALID_OPERATION, FAULTKIND::FLT_INVALID_OPERATION},
    {EXCEPTION_FLT_OVERFLOW, FAULTKIND::FLT_OVERFLOW},
    {EXCEPTION_FLT_STACK_CHECK, FAULTKIND::FLT_STACK_CHECK},
    {EXCEPTION_FLT_UNDERFLOW, FAULTKIND::FLT_UNDERFLOW},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, FAULTKIND::INT_DIVIDE_BY_ZERO},
    {EXCEPTION_INT_OVERFLOW, FAULTKIND::INT_OVERFLOW},
    {EXCEPTION_PRIV_INSTRUCTION, FAULTKIND::PRIV_INSTRUCTION},
    {EXCEPTION_STACK_OVERFLOW, FAULTKIND::STACK_OVERFLOW},
};

// The program stack's guard pages report their first access as a guard page
// violation, and a later one as an access violation; either way the address
// accessed is the record's second parameter.
FAULTKIND classify(const EXCEPTION_RECORD& record, uintptr_t sp) {
  const bool memory = record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION ||
                      record.ExceptionCode == EXCEPTION_GUARD_PAGE;
  if (memory && record.NumberParameters >= 2 &&
      STACK_EXHAUSTED(record.ExceptionInformation[1], sp)) {
    return FAULTKIND::STACK_OVERFLOW;
  }
  for (const FAULTCODE& row : FAULT_CODES) {
    if (row.code == record.ExceptionCode) return row.kind;
  }
  return FAULTKIND::UNHANDLED;  // breakpoints and inexact results among them
}

LONG WINAPI filter(EXCEPTION_POINTERS* pointers) {
  EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  CONTEXT& registers = *pointers->ContextRecord;
  const uintptr_t stack = REPORT_STACK(registers.Esp, 0);
  if (stack == 0) return FILTER_CONTINUE_SEARCH;  // no room for a report anywhere
  FAULTCONTEXT context{registers.Eip, registers.SegSs == startup_stack_segment ? registers.Ebp : 0};
  const LONG result = EXCEPTION_FILTER(classify(record, registers.Esp), context);
  if (result != FILTER_CONTINUE_EXECUTION) return result;
  // Resume as if the faulting instruction had called context.IP: the fault
  // address stands as the return address.
  const uintptr_t sp = (stack & ~uintptr_t{15}) - sizeof(uintptr_t);
  *reinterpret_cast<uintptr_t*>(sp) = registers.Eip;
  registers.Esp = sp;
  registers.Eip = context.IP;
  record.ExceptionCode = 0;
  return result;
}

}  // namespace

void INSTALL_EXCEPTION_HANDLERS() {
  uint16_t segment;
  asm("mov %%ss, %0" : "=r"(segment));
  startup_stack_segment = segment;
  SetUnhandledExceptionFilter(filter);
}

void REMOVE_EXCEPTION_HANDLERS() {
  SetUnhandledExceptionFilter(nullptr);
}

}  // namespace rt::platform
