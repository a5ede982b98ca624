// The checks' failing paths. Each raises through HANDLEERRORFRAME with its own
// frame record, so the error is located just after the check's call in the
// checking routine.
#include "runtime/checks.hpp"

#include "internal/error.hpp"

namespace rt {

void INT_OVERFLOW() {
  HANDLEERRORFRAME(RTE_OVERFLOW, GET_FRAME());
}

void INT_BOUNDCHECK(int32_t value, const RANGEREC& range) {
  if (value < range.LOW || value > range.HIGH) HANDLEERRORFRAME(RTE_RANGE, GET_FRAME());
}

void INT_IORAISE() {
  const uint16_t result = INOUTRES;
  INOUTRES = 0;  // so that the report itself can be written
  HANDLEERRORFRAME(result, GET_FRAME());
}

}  // namespace rt
