// Starting a program with standard output the shared runner does not offer
// (closed, a pipe nobody reads, any descriptor), or held inside one system
// call; and another process holding a lock.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ptrace.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>

#include "support.hpp"

namespace robust {

// Forks and runs program in dir with standard input from /dev/null and
// standard output on out_fd (closed when -1). in_child runs just before the
// program replaces the child, for extra set-up there.
inline pid_t start(const std::string& program, const std::string& dir, int out_fd,
                   const std::function<void()>& in_child = {}) {
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid != 0) return pid;
  const int null_in = open("/dev/null", O_RDONLY);
  if (chdir(dir.c_str()) != 0 || null_in < 0 || dup2(null_in, 0) < 0) _exit(127);
  if (null_in > 0) close(null_in);
  if (out_fd < 0 ? close(1) != 0 : dup2(out_fd, 1) < 0) _exit(127);
  // The program must survive these by itself, not by what it inherits.
  signal(SIGPIPE, SIG_DFL);
  signal(SIGXFSZ, SIG_DFL);
  if (in_child) in_child();
  testsupport::exec_program(program);
}

// Waits for a started program; reads what it wrote to from_fd first, if any.
inline testsupport::RunResult finish(pid_t pid, int from_fd = -1) {
  std::string bytes;
  char chunk[4096];
  for (ssize_t n; from_fd >= 0 && ((n = read(from_fd, chunk, sizeof chunk)) != 0);) {
    if (n > 0) bytes.append(chunk, static_cast<size_t>(n));
    if (n < 0 && errno != EINTR) break;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  testsupport::RunResult result = testsupport::ended(status);
  result.stdout_bytes = std::move(bytes);
  return result;
}

// A pipe with both ends closed on exec; -1 ends once closed.
struct Pipe {
  int read_end = -1, write_end = -1;
  Pipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    read_end = fds[0];
    write_end = fds[1];
  }
  ~Pipe() { close_read(), close_write(); }
  void close_read() { read_end = read_end >= 0 ? (close(read_end), -1) : -1; }
  void close_write() { write_end = write_end >= 0 ? (close(write_end), -1) : -1; }
};

// A child process holding an exclusive flock on path until destroyed.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      const int fd = open(path.c_str(), O_RDONLY);
      const char held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
      release_.close_write();
      if (write(ready_.write_end, &held, 1) != 1) _exit(1);
      char byte;
      while (read(release_.read_end, &byte, 1) < 0 && errno == EINTR) {  // until let go
      }
      _exit(0);
    }
    ready_.close_write();
    release_.close_read();
    char held = 'n';
    if (read(ready_.read_end, &held, 1) != 1 || held != 'y') {
      release_.close_write();
      finish(pid_);
      throw std::runtime_error("cannot lock " + path);
    }
  }
  ~LockHolder() {
    release_.close_write();
    finish(pid_);
  }

 private:
  Pipe ready_, release_;
  pid_t pid_ = -1;
};

// A program traced up to its nth entry into one system call and held there,
// so that another process can act inside that window, then let go. held() is
// false when tracing is not permitted here or the call never came.
class HeldAtSyscall {
 public:
  HeldAtSyscall(const std::string& program, const std::string& dir, int out_fd, long call,
                int nth) {
    pid_ = start(program, dir, out_fd, [] { ptrace(PTRACE_TRACEME, 0, nullptr, nullptr); });
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_ || !WIFSTOPPED(status)) return;  // not traced
    ptrace(PTRACE_SETOPTIONS, pid_, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    bool entering = false;  // syscall stops alternate: entry, exit, entry, ...
    for (int seen = 0, signal = 0;;) {
      if (ptrace(PTRACE_SYSCALL, pid_, nullptr, signal) != 0 || waitpid(pid_, &status, 0) != pid_ ||
          !WIFSTOPPED(status)) {
        return;
      }
      signal = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
      if (signal != 0) continue;
      user_regs_struct regs{};
      ptrace(PTRACE_GETREGS, pid_, nullptr, &regs);
      entering = !entering;
      if (entering && static_cast<long>(regs.orig_rax) == call && ++seen == nth) break;
    }
    held_ = true;
  }
  bool held() const { return held_; }
  testsupport::RunResult release(int from_fd = -1) {
    if (held_) ptrace(PTRACE_DETACH, pid_, nullptr, nullptr);
    return finish(pid_, from_fd);
  }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

}  // namespace robust
