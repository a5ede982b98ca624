// The report's formatting: hexadecimal addresses and the stack dump that walks
// the frame-pointer chain from the failing routine outward.
#include "internal/error.hpp"
#include "internal/program_stack.hpp"
#include "platform.hpp"

namespace rt {

namespace {
constexpr char HEXTBL[] = "0123456789ABCDEF";
}

constinit BACKTRACESTRFUNCTYPE BACKTRACESTRFUNC = SYSBACKTRACESTR;

SHORTSTRING HEXSTR(uint32_t value, uint8_t digits) {
  SHORTSTRING s;
  s.LENGTH = digits;
  for (int32_t i = digits - 1; i >= 0; --i) {
    s.CHARS[i] = HEXTBL[value & 15];
    value >>= 4;
  }
  return s;
}

SHORTSTRING SYSBACKTRACESTR(CODEPOINTER addr) {
  SHORTSTRING s = SHORTSTR("  0x");
  const SHORTSTRING hex = HEXSTR(static_cast<uint32_t>(addr), 8);
  __builtin_memcpy(s.CHARS + s.LENGTH, hex.CHARS, hex.LENGTH);
  s.LENGTH += hex.LENGTH;
  return s;
}

void DUMP_STACK(TEXTREC& f, FRAMEPOINTER frame) {
  const bool is_device = platform::DO_ISDEVICE(f.HANDLE);
  // The walk stays on the stack it started on, on aligned records, each one
  // strictly higher than the last, so a broken chain ends it instead of a fault.
  const STACKBOUNDS stack = STACK_OF(frame);
  FRAMEPOINTER previous = frame - 1;
  uint32_t count = 0;
  while (frame > previous) {
    const uintptr_t record = FRAME_RECORD(frame);
    if (record < stack.LOW || record > stack.HIGH - 2 * sizeof(uintptr_t) ||
        record % sizeof(uintptr_t) != 0) {
      break;
    }
    const CODEPOINTER addr = GET_CALLER_ADDR(frame);
    if (addr != 0) {
      WRITE_STR(0, f, BACKTRACESTRFUNC(addr));
      WRITELN_END(f);
    }
    ++count;
    if ((count > MAX_FRAME_DUMP && is_device) || count > 256) break;
    previous = frame;
    frame = GET_CALLER_FRAME(frame);
  }
}

}  // namespace rt
