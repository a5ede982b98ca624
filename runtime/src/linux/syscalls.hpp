// The one table of entry points through which the POSIX layer makes every
// system call. Each entry follows the kernel's convention: a result of 0 or
// more, or a negated error number. Tests replace entries to make calls fail.
// This header names no kernel type, so test code can include it beside the C
// library's headers.
#pragma once

#include <cstdint>

namespace rt::platform {

struct syscall_table {
  long (*openat)(int dirfd, const char* path, int flags, int mode);
  long (*read)(int fd, void* buffer, unsigned long count);
  long (*write)(int fd, const void* buffer, unsigned long count);
  long (*close)(int fd);
  long (*fstat)(int fd, void* kernel_stat);
  long (*faccessat)(int dirfd, const char* path, int mode);
  long (*fcntl)(int fd, int command, long argument);
  long (*flock)(int fd, int operation);
  long (*ftruncate)(int fd, long length);
  long (*unlinkat)(int dirfd, const char* path, int flags);
  long (*mprotect)(void* address, unsigned long length, int protection);
  long (*sigaltstack)(const void* stack, void* old_stack);
  long (*rt_sigaction)(int signal, const void* action, void* old_action, unsigned long set_size);
  long (*rt_sigprocmask)(int how, const void* set, void* old_set, unsigned long set_size);
  long (*getpid)();
  long (*tgkill)(int process, int thread, int signal);
  void (*exit_group)(int status);
};

extern syscall_table syscalls;

// The entries as the kernel provides them, for restoring after a test.
extern const syscall_table kernel_syscalls;

}  // namespace rt::platform
