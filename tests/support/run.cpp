// Running a program in a directory with its standard output captured from a
// regular file, a pipe or a pseudo-terminal.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "support.hpp"

namespace testsupport {

namespace {

[[noreturn]] void child_fail(const char* what) {
  const char* reason = strerror(errno);
  (void)!::write(2, what, strlen(what));
  (void)!::write(2, ": ", 2);
  (void)!::write(2, reason, strlen(reason));
  (void)!::write(2, "\n", 1);
  _exit(127);
}

std::string read_all(int fd) {
  std::string bytes;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      bytes.append(chunk, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // end of data; a pseudo-terminal reports EIO once its slave is closed
    }
  }
  return bytes;
}

// The capture of one kind: what the child's standard output is and where the
// parent reads it back.
struct Capture {
  int child_fd = -1;      // becomes the child's standard output
  int parent_fd = -1;     // read by the parent (pipe, terminal)
  std::string file_path;  // the regular file (file)
};

Capture open_capture(StdoutKind kind) {
  Capture c;
  switch (kind) {
    case StdoutKind::File: {
      char path[] = "/tmp/halves-stdout-XXXXXX";
      c.child_fd = mkostemp(path, O_CLOEXEC);
      if (c.child_fd < 0) throw std::runtime_error("mkstemp failed");
      c.file_path = path;
      break;
    }
    case StdoutKind::Pipe: {
      int fds[2];
      if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
      c.parent_fd = fds[0];
      c.child_fd = fds[1];
      break;
    }
    case StdoutKind::Terminal: {
      c.parent_fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (c.parent_fd < 0 || grantpt(c.parent_fd) != 0 || unlockpt(c.parent_fd) != 0) {
        throw std::runtime_error("no pseudo-terminal");
      }
      c.child_fd = open(ptsname(c.parent_fd), O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (c.child_fd < 0) throw std::runtime_error("cannot open the terminal's slave");
      // Raw output: the bytes arrive as written, line ends untranslated.
      termios settings{};
      tcgetattr(c.child_fd, &settings);
      cfmakeraw(&settings);
      tcsetattr(c.child_fd, TCSANOW, &settings);
      break;
    }
  }
  return c;
}

}  // namespace

std::string emulation_preload() {
#ifdef HALVES_WINEPREFIX
  return read_file(std::string(HALVES_WINEPREFIX) + ".preload").value_or("");
#else
  return "";
#endif
}

void exec_program(const std::string& program) {
#ifdef HALVES_WINEPREFIX
  // The shared prefix of this test run, quiet, with no debugger and no display.
  const std::string preload = emulation_preload();
  if (!preload.empty()) setenv("LD_PRELOAD", preload.c_str(), 1);
  setenv("WINEPREFIX", HALVES_WINEPREFIX, 1);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winedbg.exe=d", 1);
  unsetenv("DISPLAY");
#endif
  // exec keeps the timer; SIGALRM's default action ends the program, and
  // Wine or qemu-user with it.
  signal(SIGALRM, SIG_DFL);
  alarm(kRunTimeLimit);
#ifdef HALVES_LAUNCHER
  execlp(HALVES_LAUNCHER, HALVES_LAUNCHER, program.c_str(), static_cast<char*>(nullptr));
#else
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
#endif
  child_fail("exec");
}

RunResult run(const std::string& program, const std::string& dir, StdoutKind kind,
              void (*in_child)()) {
  Capture capture = open_capture(kind);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (kind == StdoutKind::Terminal) setsid();
    if (chdir(dir.c_str()) != 0) child_fail("chdir");
    const int null_in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null_in < 0 || dup2(null_in, 0) < 0) child_fail("stdin");
    if (dup2(capture.child_fd, 1) < 0) child_fail("stdout");
    signal(SIGPIPE, SIG_DFL);
    if (in_child != nullptr) in_child();
    exec_program(program);
  }
  close(capture.child_fd);
  std::string stdout_bytes;
  if (capture.parent_fd >= 0) {
    stdout_bytes = read_all(capture.parent_fd);
    close(capture.parent_fd);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (kind == StdoutKind::File) {
    stdout_bytes = read_file(capture.file_path).value_or("");
    unlink(capture.file_path.c_str());
  }
  RunResult result = ended(status, program);
  result.stdout_bytes = std::move(stdout_bytes);
  return result;
}

RunResult ended(int status, const std::string& program) {
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    throw std::runtime_error(program + " timed out: it had not ended after " +
                             std::to_string(kRunTimeLimit) + " s, and was killed");
  }
  RunResult result;
  result.exited = WIFEXITED(status);
  result.exit_code = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

std::string describe(const RunResult& result) {
  if (result.exited) return "exit " + std::to_string(result.exit_code);
  return "signal " + std::to_string(result.signal) + " (" + strsignal(result.signal) + ")";
}

}  // namespace testsupport
