// The splitter's main routine: start-up, the run sequence, the normal end.
#include "runtime/startup.hpp"
#include "splitter.hpp"

void SPLITTER() {
  rt::ISCONSOLE = 1;
  rt::INITIALIZEUNITS();
  INIT();
  SOLVE2();
  SAVE();
  rt::DO_EXIT();
}

constinit const rt::MAINROUTINE rt::PROGRAM_MAIN = SPLITTER;
