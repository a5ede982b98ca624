// The probe's scenarios that a processor or a platform raises its own way.
#pragma once

#include <cstdint>

#include "runtime/routine.hpp"

// A fault that only the target's processor has, raised by a routine of its
// own.
struct PROCESSORFAULT {
  const char* scenario;
  void (*routine)();
};

// The target processor's faults (faults_<processor>.cpp), ended by a nil
// scenario.
extern const PROCESSORFAULT PROCESSOR_FAULTS[];

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
