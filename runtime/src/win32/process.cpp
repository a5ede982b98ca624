// Page protection and the process end over kernel32.
#include "platform.hpp"
#include "win32/kernel32.hpp"

namespace rt::platform {

// The system reports a fault on the faulting thread's own stack, below its
// stack pointer: a push that runs into an inaccessible page would leave it
// no room. A guard page traps once and is then an ordinary page, in which
// (and, below it, in the reserve) the dispatcher has room.
bool MAKE_GUARD_PAGES(uintptr_t low, uintptr_t size) {
  DWORD previous;
  return VirtualProtect(reinterpret_cast<void*>(low), size, PAGE_READWRITE | PAGE_GUARD,
                        &previous) != 0;
}

void END_PROCESS(uint32_t code) {
  ExitProcess(code);
}

}  // namespace rt::platform
