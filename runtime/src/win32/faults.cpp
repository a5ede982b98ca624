// Windows faults: the process's unhandled-exception filter.
#include "platform.hpp"
#include "win32/kernel32.hpp"

namespace rt::platform {

// Until the filter maps faults, every fault gets the system's own handling.
void INSTALL_EXCEPTION_HANDLERS() {}
void REMOVE_EXCEPTION_HANDLERS() {}

}  // namespace rt::platform
