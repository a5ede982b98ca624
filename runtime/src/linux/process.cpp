// Page protection and the process end.
#include "linux/kernel.hpp"
#include "platform.hpp"

namespace rt::platform {

// Faults are handled on the alternate signal stack, so an inaccessible page
// is guard enough.
bool MAKE_GUARD_PAGES(uintptr_t low, uintptr_t size) {
  return syscalls.mprotect(reinterpret_cast<void*>(low), size, PROT_NONE) == 0;
}

void END_PROCESS(uint32_t code) {
  syscalls.exit_group(static_cast<int>(code));
  __builtin_trap();  // exit_group does not return
}

}  // namespace rt::platform
