// Preloaded into 32-bit Wine where qemu-user runs it. qemu gives a fault
// signal's context the trap number -1, and Wine classifies a fault by that
// number: without it an access violation passes for an illegal instruction,
// and stack exhaustion kills the process. This wraps the fault handlers that
// Wine installs and, where the number is missing, sets it from the signal
// and its code as the processor would have, before Wine's handler runs.
//
// The wrapper runs in whatever state the fault left the thread: it uses no
// thread-local data and calls nothing but Wine's handler.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <ucontext.h>

typedef void (*HANDLER)(int, siginfo_t*, void*);

static HANDLER wine_handlers[_NSIG];

static int is_fault(int signal) {
  return signal == SIGSEGV || signal == SIGFPE || signal == SIGILL || signal == SIGTRAP ||
         signal == SIGBUS;
}

static int trap_number(int signal, int code) {
  switch (signal) {
    case SIGSEGV:
      return code == SI_KERNEL ? 13 : 14;  // general protection, page fault
    case SIGFPE:
      return code == FPE_INTOVF ? 4 : code == FPE_INTDIV ? 0 : -1;
    case SIGILL:
      return 6;  // invalid opcode
    case SIGTRAP:
      return code == SI_KERNEL ? 3 : 1;  // int3, single step
    case SIGBUS:
      return 17;  // alignment check
  }
  return -1;
}

static void fill_in_trap_number(int signal, siginfo_t* info, void* context) {
  greg_t* trap = &((ucontext_t*)context)->uc_mcontext.gregs[REG_TRAPNO];
  if (*trap == -1) *trap = trap_number(signal, info->si_code);
  wine_handlers[signal](signal, info, context);
}

int sigaction(int signal, const struct sigaction* action, struct sigaction* old) {
  typedef int (*SIGACTION)(int, const struct sigaction*, struct sigaction*);
  static SIGACTION next;
  if (next == 0) *(void**)&next = dlsym(RTLD_NEXT, "sigaction");
  if (action == 0 || !(action->sa_flags & SA_SIGINFO) || !is_fault(signal) ||
      action->sa_sigaction == fill_in_trap_number) {  // a wrapped action put back
    return next(signal, action, old);
  }
  struct sigaction wrapped = *action;
  wine_handlers[signal] = action->sa_sigaction;
  wrapped.sa_sigaction = fill_in_trap_number;
  return next(signal, &wrapped, old);
}
