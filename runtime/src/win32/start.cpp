// The process entry of a Windows console program: the image's entry point,
// named to the linker as rt_process_entry. It never returns.
#include "internal/startup.hpp"

extern "C" [[noreturn]] void rt_process_entry() {
  rt::ISCONSOLE = 1;
  rt::EXE_ENTRY(rt::PROGRAM_MAIN);
}
