// The kernel's own definitions and the processor's way of making system
// calls, for the Linux layer's implementation files only.
#pragma once

#include <asm-generic/errno.h>
#include <asm/mman.h>
#include <asm/sigcontext.h>
#include <asm/siginfo.h>
#include <asm/signal.h>
#include <asm/stat.h>
#include <asm/ucontext.h>
#include <asm/unistd.h>
#include <linux/fcntl.h>

#include "linux/syscalls.hpp"

#if defined(__x86_64__)
#include "linux/x86_64.hpp"
#elif defined(__aarch64__)
#include "linux/aarch64.hpp"
#elif defined(__riscv) && __riscv_xlen == 64
#include "linux/riscv64.hpp"
#else
#error "no Linux layer for this processor"
#endif

namespace rt::platform {

// File types of st_mode (the kernel's header hides them beside the C library).
constexpr unsigned FILE_TYPE_MASK = 0170000;
constexpr unsigned FILE_TYPE_DIRECTORY = 0040000;
constexpr unsigned FILE_TYPE_CHAR_DEVICE = 0020000;
constexpr unsigned FILE_TYPE_REGULAR = 0100000;

inline bool is_char_device(const struct stat& st) {
  return (st.st_mode & FILE_TYPE_MASK) == FILE_TYPE_CHAR_DEVICE;
}
inline bool is_directory(const struct stat& st) {
  return (st.st_mode & FILE_TYPE_MASK) == FILE_TYPE_DIRECTORY;
}
inline bool is_regular(const struct stat& st) {
  return (st.st_mode & FILE_TYPE_MASK) == FILE_TYPE_REGULAR;
}

}  // namespace rt::platform
