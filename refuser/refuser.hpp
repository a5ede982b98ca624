// The refuser's global state and routines: it checks the two leading numbers
// of "input.txt", skips the item lines and always answers -1.
#pragma once

#include <cstdint>

#include "runtime/routine.hpp"
#include "runtime/shortstring.hpp"

extern uint16_t L;         // the length, as read
extern uint16_t N;         // the item count
extern rt::SHORTSTRING S;  // the item line last read

extern "C" {
RT_ROUTINE void INPUTDATA();
RT_ROUTINE void OUTPUTDATA();
RT_ROUTINE void REFUSER();
}
