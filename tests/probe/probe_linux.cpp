// The probe's scenario that only Linux raises: a read of a mapped file's
// page that lies past the file's end, which the kernel reports as SIGBUS.
#include <linux/mman.h>

#include "linux/kernel.hpp"
#include "platform.hpp"
#include "probe.hpp"

using namespace rt::platform;

extern "C" RT_ROUTINE void PROBE_BUS_ERROR() {
  int32_t handle;
  if (NATIVE_OPEN("empty.txt", true, 2, handle) != 0) return;  // an empty file
  NATIVE_CLOSE(handle);
  if (NATIVE_OPEN("empty.txt", false, 2, handle) != 0) return;
  const long page = raw_syscall6(__NR_mmap, 0, 4096, PROT_READ, MAP_PRIVATE, handle, 0);
  if (page < 0 && page > -4096) return;
  volatile uint8_t value = *reinterpret_cast<const volatile uint8_t*>(page);
  (void)value;
}
