// The probe's scenario that only Windows has: an exception raised by the
// system's own dispatch, which reaches the filter like a fault of the
// processor. Its report shows, in place of each address, the x87 control
// word that the report ran with, so a test sees whether the filter reset the
// floating-point unit first.
#include "internal/error.hpp"
#include "probe.hpp"
#include "win32/kernel32.hpp"

using namespace rt;

namespace {

// All exceptions masked: the unit's own setting after a reset, not FPUCW.
constexpr uint16_t APART = 0x037F;
// The bits that a control word sets: exception masks, precision, rounding
// and infinity; the unit may show the others either way.
constexpr uint16_t CONTROL_BITS = 0x1F3F;

SHORTSTRING CONTROL_WORD_LINE(CODEPOINTER) {
  uint16_t control_word;
  asm volatile("fnstcw %0" : "=m"(control_word));
  return SYSBACKTRACESTR(control_word & CONTROL_BITS);
}

}  // namespace

extern "C" RT_ROUTINE void PROBE_RAISE(uint32_t code) {
  asm volatile("fldcw %0" : : "m"(APART));
  BACKTRACESTRFUNC = CONTROL_WORD_LINE;
  RaiseException(code, 0, 0, nullptr);
}
