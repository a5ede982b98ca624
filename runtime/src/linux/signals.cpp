// Linux faults: the signals of hardware faults, caught on an alternate signal
// stack, classified into the fault table's kinds and handed to the filter.
// A redirected fault resumes in JUMPTOHANDLEERRORFRAME; any other ends the
// process by the signal's default action.
#include "internal/faults.hpp"
#include "internal/program_stack.hpp"
#include "linux/kernel.hpp"
#include "platform.hpp"

namespace rt::platform {

using namespace program_stack;

namespace {

constexpr int FAULT_SIGNALS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP};

// Kernel codes of the fault signals (the kernel's siginfo.h defines them only
// under names that clash with the C library's).
constexpr int CODE_SI_KERNEL = 0x80;
constexpr int CODE_ILL_PRVOPC = 5;
constexpr int CODE_FPE_INTDIV = 1;
constexpr int CODE_FPE_INTOVF = 2;
constexpr int CODE_FPE_FLTDIV = 3;
constexpr int CODE_FPE_FLTOVF = 4;
constexpr int CODE_FPE_FLTUND = 5;
constexpr int CODE_FPE_FLTINV = 7;
constexpr int CODE_FPE_FLTSUB = 8;
constexpr int CODE_TRAP_TRACE = 2;

// The fault kind of each SIGFPE code up to the last one in the table; the
// others, the inexact result among them, are not in it.
struct FPEKINDS {
  FAULTKIND of[CODE_FPE_FLTSUB + 1]{};
};
constexpr FPEKINDS FPE_KINDS = [] {
  FPEKINDS kinds;
  kinds.of[CODE_FPE_INTDIV] = FAULTKIND::INT_DIVIDE_BY_ZERO;
  kinds.of[CODE_FPE_INTOVF] = FAULTKIND::INT_OVERFLOW;
  kinds.of[CODE_FPE_FLTDIV] = FAULTKIND::FLT_DIVIDE_BY_ZERO;
  kinds.of[CODE_FPE_FLTOVF] = FAULTKIND::FLT_OVERFLOW;
  kinds.of[CODE_FPE_FLTUND] = FAULTKIND::FLT_UNDERFLOW;
  kinds.of[CODE_FPE_FLTINV] = FAULTKIND::FLT_INVALID_OPERATION;
  kinds.of[CODE_FPE_FLTSUB] = FAULTKIND::ARRAY_BOUNDS_EXCEEDED;
  return kinds;
}();

alignas(16) constinit uint8_t signal_stack[32 * 1024];

// Whether the filter is in place. Removing it clears this flag rather than
// the signal actions, so the process end costs no system calls; a fault after
// the removal gets the default action all the same.
constinit bool filter_installed = false;

#ifdef LINUX_SIGNAL_RESTORER
extern "C" void restore_rt();
asm(LINUX_SIGNAL_RESTORER);
#endif

FAULTKIND classify(int signal, const siginfo_t& info, const ucontext& registers) {
  // A signal that another process sent is no fault of this one.
  if (info.si_code <= 0) return FAULTKIND::UNHANDLED;
  switch (signal) {
    case SIGSEGV:
      if (info.si_code == CODE_SI_KERNEL && privileged_instruction(context_ip(registers))) {
        return FAULTKIND::PRIV_INSTRUCTION;
      }
      return STACK_EXHAUSTED(reinterpret_cast<uintptr_t>(info.si_addr), context_sp(registers))
                 ? FAULTKIND::STACK_OVERFLOW
                 : FAULTKIND::ACCESS_VIOLATION;
    case SIGBUS:
      return FAULTKIND::IN_PAGE_ERROR;
    case SIGILL:
      return info.si_code == CODE_ILL_PRVOPC ? FAULTKIND::PRIV_INSTRUCTION
                                             : FAULTKIND::ILLEGAL_INSTRUCTION;
    case SIGFPE:
      return info.si_code <= CODE_FPE_FLTSUB ? FPE_KINDS.of[info.si_code] : FAULTKIND::UNHANDLED;
    case SIGTRAP:
      return info.si_code == CODE_TRAP_TRACE ? FAULTKIND::SINGLE_STEP : FAULTKIND::UNHANDLED;
    default:
      return FAULTKIND::UNHANDLED;
  }
}

void set_action(int signal, __sighandler_t handler, unsigned long flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
#ifdef LINUX_SIGNAL_RESTORER
  action.sa_flags |= SA_RESTORER;
  action.sa_restorer = restore_rt;
#endif
  syscalls.rt_sigaction(signal, &action, nullptr, sizeof(action.sa_mask));
}

// The operating system's own handling: the default action, by the same signal
// sent again, which is delivered as soon as this handler returns.
void default_handling(int signal) {
  set_action(signal, SIG_DFL, 0);
  const long pid = syscalls.getpid();
  syscalls.tgkill(static_cast<int>(pid), static_cast<int>(pid), signal);
}

// Compiled for size: only a fault runs it.
[[gnu::cold]] void fault_handler(int signal, siginfo_t* info, void* raw_context) {
  ucontext& registers = *static_cast<ucontext*>(raw_context);
  FAULTCONTEXT context{context_ip(registers), context_frame(registers)};
  const uintptr_t stack = REPORT_STACK(context_sp(registers), RED_ZONE);
  if (!filter_installed || stack == 0 ||
      EXCEPTION_FILTER(classify(signal, *info, registers), context) != FILTER_CONTINUE_EXECUTION) {
    default_handling(signal);
    return;
  }
  resume_as_call(registers, context.IP, stack);
}

}  // namespace

void INSTALL_EXCEPTION_HANDLERS() {
  const stack_t alternate{.ss_sp = signal_stack, .ss_flags = 0, .ss_size = sizeof signal_stack};
  syscalls.sigaltstack(&alternate, nullptr);
  unsigned long faults = 0;
  for (const int signal : FAULT_SIGNALS) {
    set_action(signal, __builtin_bit_cast(__sighandler_t, &fault_handler), SA_SIGINFO | SA_ONSTACK);
    faults |= 1ul << (signal - 1);
  }
  // A fault signal blocked by whoever started the process would not reach the
  // handler: the kernel ends the process by its default action instead.
  syscalls.rt_sigprocmask(SIG_UNBLOCK, &faults, nullptr, sizeof faults);
  // A report written to a pipe whose reader has gone, or a file grown past
  // the size limit, fails as a write instead of ending the process.
  set_action(SIGPIPE, SIG_IGN, 0);
  set_action(SIGXFSZ, SIG_IGN, 0);
  filter_installed = true;
}

void REMOVE_EXCEPTION_HANDLERS() {
  filter_installed = false;
}

}  // namespace rt::platform
