// Files held by another program: a file that another program of the same
// Wine prefix holds open, shared with nobody, cannot be opened (a sharing
// violation, so 5), and stays as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "report.hpp"
#include "support.hpp"

namespace {

using testsupport::kStartup;
using testsupport::TempDir;

// The probe holding one file of dir open until destroyed.
class Holder {
 public:
  Holder(const TempDir& dir, const std::string& name) {
    dir.write("scenario.txt", "hold\n" + name + "\n");
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      if (chdir(dir.path().c_str()) != 0 || dup2(in[0], 0) < 0 || dup2(out[1], 1) < 0) _exit(127);
      close(in[1]);
      close(out[0]);
      testsupport::exec_program(PROBE_PATH);
    }
    close(in[0]);
    close(out[1]);
    release_ = in[1];
    std::string said;
    char c;
    while (said.find('\n') == std::string::npos && read(out[0], &c, 1) == 1)
      said += c;
    close(out[0]);
    if (said != "held\r\n") {
      this->~Holder();
      throw std::runtime_error("the probe did not hold " + name + ": " + said);
    }
  }
  ~Holder() {
    if (release_ >= 0) close(release_);  // the probe's input ends, and it exits
    release_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};

TEST(Sharing, AFileHeldElsewhereGives5AndStaysAsItWas) {
  const std::string task = "20\n4\n6:40\n5:00\n3:20\n1:40\n";
  const std::string previous = "an earlier answer\r\n";
  const struct {
    const char* program;
    const char* held;
    std::vector<std::string> chain;
    const char* answer;
  } cases[] = {
      {SPLITTER_PATH, "input.txt", {"INIT", "SPLITTER", kStartup}, "1\r\n2\r\n1\r\n2\r\n"},
      {SPLITTER_PATH, "output.txt", {"SAVE", "SPLITTER", kStartup}, "1\r\n2\r\n1\r\n2\r\n"},
      {REFUSER_PATH, "input.txt", {"INPUTDATA", "REFUSER", kStartup}, "-1"},
      {REFUSER_PATH, "output.txt", {"OUTPUTDATA", "REFUSER", kStartup}, "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " with " + c.held + " held");
    TempDir dir;
    dir.write("input.txt", task);
    dir.write("output.txt", previous);
    {
      const Holder holder(dir, c.held);
      const testsupport::RunResult r = testsupport::run(c.program, dir.path());
      EXPECT_TRUE(testsupport::FailedWith(c.program, r, 5, c.chain));
      EXPECT_EQ(dir.read("input.txt"), task);
      EXPECT_EQ(dir.read("output.txt"), previous);
    }
    // Let go, the same run goes through: the holder alone was in the way.
    const testsupport::RunResult r = testsupport::run(c.program, dir.path());
    EXPECT_TRUE(r.exited && r.exit_code == 0) << testsupport::describe(r);
    EXPECT_EQ(dir.read("output.txt"), c.answer);
  }
}

}  // namespace
