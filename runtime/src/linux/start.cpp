// The process entry of a Linux program: the kernel starts it at _start, the
// processor's own (linux/kernel.hpp), which calls rt_process_entry with no
// frame. Linked into the shipped programs only: hosted test executables have
// the C library's entry.
#include "internal/startup.hpp"
#include "linux/kernel.hpp"

extern "C" {

[[noreturn]] void rt_process_entry() {
  rt::ISCONSOLE = 1;
  rt::EXE_ENTRY(rt::PROGRAM_MAIN);
}

asm(LINUX_PROCESS_ENTRY);

}  // extern "C"
