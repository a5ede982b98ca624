// The kernel entry points of the system-call table.
#include "linux/kernel.hpp"

namespace rt::platform {

namespace {

long sys_openat(int dirfd, const char* path, int flags, int mode) {
  return raw_syscall(__NR_openat, dirfd, reinterpret_cast<long>(path), flags, mode);
}
long sys_read(int fd, void* buffer, unsigned long count) {
  return raw_syscall(__NR_read, fd, reinterpret_cast<long>(buffer), static_cast<long>(count));
}
long sys_write(int fd, const void* buffer, unsigned long count) {
  return raw_syscall(__NR_write, fd, reinterpret_cast<long>(buffer), static_cast<long>(count));
}
long sys_close(int fd) {
  return raw_syscall(__NR_close, fd);
}
long sys_fstat(int fd, void* kernel_stat) {
  return raw_syscall(__NR_fstat, fd, reinterpret_cast<long>(kernel_stat));
}
long sys_faccessat(int dirfd, const char* path, int mode) {
  return raw_syscall(__NR_faccessat, dirfd, reinterpret_cast<long>(path), mode);
}
long sys_fcntl(int fd, int command, long argument) {
  return raw_syscall(__NR_fcntl, fd, command, argument);
}
long sys_flock(int fd, int operation) {
  return raw_syscall(__NR_flock, fd, operation);
}
long sys_ftruncate(int fd, long length) {
  return raw_syscall(__NR_ftruncate, fd, length);
}
long sys_unlinkat(int dirfd, const char* path, int flags) {
  return raw_syscall(__NR_unlinkat, dirfd, reinterpret_cast<long>(path), flags);
}
long sys_mprotect(void* address, unsigned long length, int protection) {
  return raw_syscall(__NR_mprotect, reinterpret_cast<long>(address), static_cast<long>(length),
                     protection);
}
long sys_sigaltstack(const void* stack, void* old_stack) {
  return raw_syscall(__NR_sigaltstack, reinterpret_cast<long>(stack),
                     reinterpret_cast<long>(old_stack));
}
long sys_rt_sigaction(int signal, const void* action, void* old_action, unsigned long set_size) {
  return raw_syscall(__NR_rt_sigaction, signal, reinterpret_cast<long>(action),
                     reinterpret_cast<long>(old_action), static_cast<long>(set_size));
}
long sys_rt_sigprocmask(int how, const void* set, void* old_set, unsigned long set_size) {
  return raw_syscall(__NR_rt_sigprocmask, how, reinterpret_cast<long>(set),
                     reinterpret_cast<long>(old_set), static_cast<long>(set_size));
}
long sys_getpid() {
  return raw_syscall(__NR_getpid);
}
long sys_tgkill(int process, int thread, int signal) {
  return raw_syscall(__NR_tgkill, process, thread, signal);
}
[[noreturn]] void sys_exit_group(int status) {
  for (;;)
    raw_syscall(__NR_exit_group, status);
}

}  // namespace

constexpr syscall_table kernel_syscalls = {
    .openat = sys_openat,
    .read = sys_read,
    .write = sys_write,
    .close = sys_close,
    .fstat = sys_fstat,
    .faccessat = sys_faccessat,
    .fcntl = sys_fcntl,
    .flock = sys_flock,
    .ftruncate = sys_ftruncate,
    .unlinkat = sys_unlinkat,
    .mprotect = sys_mprotect,
    .sigaltstack = sys_sigaltstack,
    .rt_sigaction = sys_rt_sigaction,
    .rt_sigprocmask = sys_rt_sigprocmask,
    .getpid = sys_getpid,
    .tgkill = sys_tgkill,
    .exit_group = sys_exit_group,
};

constinit syscall_table syscalls = kernel_syscalls;

}  // namespace rt::platform
