// The program stack's region, its guard pages, and the bounds a frame record
// lies within.
#include "internal/program_stack.hpp"

#include "platform.hpp"

namespace rt {

namespace program_stack {

namespace {
alignas(PAGE_SIZE) constinit uint8_t region[REGION_SIZE];
}

uintptr_t region_low() {
  return reinterpret_cast<uintptr_t>(region);
}
uintptr_t reserve_low() {
  return region_low() + PAGE_SIZE;
}
uintptr_t guard_low() {
  return reserve_low() + RESERVE_SIZE;
}
uintptr_t program_low() {
  return guard_low() + PAGE_SIZE;
}
uintptr_t region_high() {
  return program_low() + PROGRAM_STACK_SIZE;
}

bool in_guard_page(uintptr_t address) {
  return (address >= region_low() && address < reserve_low()) ||
         (address >= guard_low() && address < program_low());
}

}  // namespace program_stack

using namespace program_stack;

extern constinit const uint8_t* const PROGRAM_STACK_FLOOR =
    region + PAGE_SIZE + RESERVE_SIZE + PAGE_SIZE;

void PREPARE_PROGRAM_STACK() {
  if (!platform::MAKE_GUARD_PAGES(region_low(), PAGE_SIZE) ||
      !platform::MAKE_GUARD_PAGES(guard_low(), PAGE_SIZE)) {
    // Without its guard a deep recursion would overwrite other data silently.
    platform::END_PROCESS(RTE_STACK_OVERFLOW);
  }
}

uintptr_t PROGRAM_STACK_TOP() {
  return region_high();
}

bool IN_PROGRAM_STACK(FRAMEPOINTER frame) {
  const uintptr_t record = FRAME_RECORD(frame);
  return record >= region_low() && record < region_high();
}

STACKBOUNDS STACK_OF(FRAMEPOINTER frame) {
  if (IN_PROGRAM_STACK(frame)) return {region_low(), region_high()};
  return {FRAME_RECORD(frame), UINTPTR_MAX};
}

bool STACK_EXHAUSTED(uintptr_t fault_address, uintptr_t sp) {
  return in_guard_page(fault_address) || (sp >= guard_low() && sp < program_low());
}

uintptr_t REPORT_STACK(uintptr_t sp, uintptr_t red_zone) {
  if (sp >= program_low() + REPORT_ROOM && sp <= region_high()) return sp - red_zone;
  if (sp >= guard_low() && sp < program_low() + REPORT_ROOM) return guard_low();
  if (sp >= reserve_low() + REPORT_ROOM && sp < guard_low()) return sp - red_zone;
  return 0;
}

}  // namespace rt
