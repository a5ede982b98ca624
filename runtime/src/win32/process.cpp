// Page protection and the process end over kernel32.
#include "platform.hpp"
#include "win32/kernel32.hpp"

namespace rt::platform {

bool MAKE_INACCESSIBLE(uintptr_t low, uintptr_t size) {
  DWORD previous;
  return VirtualProtect(reinterpret_cast<void*>(low), size, PAGE_NOACCESS, &previous) != 0;
}

void END_PROCESS(uint32_t code) {
  ExitProcess(code);
}

}  // namespace rt::platform
