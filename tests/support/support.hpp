// Shared test support: a fresh temporary directory, and a program run there
// with its standard output on a regular file, a pipe or a pseudo-terminal.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace testsupport {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const;
  // The file's bytes, or nothing when it does not exist.
  std::optional<std::string> read(const std::string& name) const;

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::optional<std::string> read_file(const std::string& path);

enum class StdoutKind { File, Pipe, Terminal };

// Its name, for test names and messages.
inline const char* name_of(StdoutKind kind) {
  return kind == StdoutKind::File ? "File" : kind == StdoutKind::Pipe ? "Pipe" : "Terminal";
}
inline void PrintTo(StdoutKind kind, std::ostream* os) {
  *os << name_of(kind);
}

// The platform whose programs are under test: this machine's own, or the
// cross build's (HALVES_TARGET), run under Wine or qemu-user.
enum class Target { LinuxX86_64, Windows, LinuxArm64, LinuxRiscv64 };
#if defined(HALVES_TARGET)
inline constexpr Target kTarget = Target::HALVES_TARGET;
#elif defined(__x86_64__)
inline constexpr Target kTarget = Target::LinuxX86_64;
#elif defined(__aarch64__)
inline constexpr Target kTarget = Target::LinuxArm64;
#elif defined(__riscv)
inline constexpr Target kTarget = Target::LinuxRiscv64;
#endif

// Whether the programs under test are Windows executables run under Wine.
// Wine's console rewrites what a program writes to a terminal, so terminal
// cases do not apply there.
inline constexpr bool kUnderWine = kTarget == Target::Windows;

// Under Wine where qemu-user runs 32-bit programs, as the prefix's start
// found: the preload that Wine's runs need there. Empty elsewhere.
std::string emulation_preload();

struct RunResult {
  bool exited = false;  // false: ended by a signal
  int exit_code = -1;
  int signal = 0;
  std::string stdout_bytes;
};

// Every program run of the tests has this many seconds to end, far more than
// the slowest healthy run takes (under Wine or qemu-user on a loaded machine):
// then SIGALRM ends it, and its test fails, saying that it timed out.
constexpr unsigned kRunTimeLimit = 60;

// The result of a program run that ended with the wait status status; a run
// that the time limit ended throws, saying so.
RunResult ended(int status, const std::string& program = "the program");

// Runs program in dir with standard input from /dev/null and standard error
// inherited, and waits for it to end. in_child, if given, runs in the child
// just before the program replaces it.
RunResult run(const std::string& program, const std::string& dir,
              StdoutKind kind = StdoutKind::File, void (*in_child)() = nullptr);

// Replaces this (forked) process by program, under Wine or qemu-user where
// the programs are another platform's, with the time limit set; does not
// return.
[[noreturn]] void exec_program(const std::string& program);

// The exit or signal of a run, for assertion messages.
std::string describe(const RunResult& result);

}  // namespace testsupport
