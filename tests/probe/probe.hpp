// The probe's scenarios that a platform raises its own way.
#pragma once

#include <cstdint>

#include "runtime/routine.hpp"

extern "C" {

#if defined(_WIN32)
// Raises the exception code through the system's own dispatch, with no
// processor fault, the floating-point unit set apart from its start-up
// settings first.
RT_ROUTINE void PROBE_RAISE(uint32_t code);
#else
// Reads a page of a mapped file past the file's end.
RT_ROUTINE void PROBE_BUS_ERROR();
#endif

}  // extern "C"
