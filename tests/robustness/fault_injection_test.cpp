// Both programs against real faults around their files: an answer file that
// cannot take the answer, directories, loops and locks in the way, standard
// output closed or broken, input trickling through a FIFO, and splitters
// racing for the same files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "processes.hpp"
#include "report.hpp"
#include "support.hpp"
#include "task_model.hpp"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

const std::string kTask = "20\n4\n6:40\n5:00\n3:20\n1:40\n";
const std::string kPrevious = "an earlier answer\r\n";

struct Program {
  const char* name;
  const char* path;
  std::string answer;  // to kTask
};
const Program kPrograms[] = {{"splitter", SPLITTER_PATH, "1\r\n2\r\n1\r\n2\r\n"},
                             {"refuser", REFUSER_PATH, "-1"}};

// A task of `count` (10 or more) items with room for 60% of their total on
// each half, so that it splits; its answer runs over several 256-byte blocks.
std::string long_task(int count, int seed) {
  std::string items;
  int total = 0;
  for (int i = 0; i < count; ++i) {
    const int seconds = (i * 7919 + seed * 104729) % 4000 + 1;
    items += std::to_string(seconds / 3600) + ":" + std::to_string(seconds / 60 % 60) + ":" +
             std::to_string(seconds % 60) + "\r\n";
    total += seconds;
  }
  return std::to_string(total / 50 + 100) + "\r\n" + std::to_string(count) + "\r\n" + items;
}

// Ended by exiting with `number`, with a well-formed report of it.
testing::AssertionResult EndedWith(const RunResult& r, int number) {
  if (!r.exited || r.exit_code != number) {
    return testing::AssertionFailure() << testsupport::describe(r) << ", expected exit " << number;
  }
  if (number != 0 && testsupport::report_number(r.stdout_bytes) != number) {
    return testing::AssertionFailure() << "report: " << r.stdout_bytes;
  }
  return testing::AssertionSuccess();
}

TEST(FaultInjection, SomethingElseInPlaceOfAFile) {
  const struct {
    const char* what;
    std::function<void(const TempDir&)> arrange;
    int number;
  } cases[] = {
      {"input.txt a directory", [](const TempDir& d) { fs::create_directory(d.file("input.txt")); },
       5},
      {"output.txt a directory",
       [](const TempDir& d) { fs::create_directory(d.file("output.txt")); }, 5},
      {"input.txt a link to itself",
       [](const TempDir& d) { fs::create_symlink("input.txt", d.file("input.txt")); }, 3},
      {"output.txt a link into a missing directory",
       [](const TempDir& d) { fs::create_symlink("gone/output.txt", d.file("output.txt")); }, 3},
      {"output.txt a link to a full device",
       [](const TempDir& d) { fs::create_symlink("/dev/full", d.file("output.txt")); }, 101},
      {"input.txt an empty device",
       [](const TempDir& d) { fs::create_symlink("/dev/null", d.file("input.txt")); }, 106},
  };
  for (const Program& program : kPrograms) {
    for (const auto& c : cases) {
      SCOPED_TRACE(program.name + (": " + std::string(c.what)));
      TempDir dir;
      c.arrange(dir);
      if (!fs::exists(fs::symlink_status(dir.file("input.txt")))) dir.write("input.txt", kTask);
      if (!fs::exists(fs::symlink_status(dir.file("output.txt"))))
        dir.write("output.txt", kPrevious);
      const auto output_before = fs::symlink_status(dir.file("output.txt")).type();
      EXPECT_TRUE(EndedWith(testsupport::run(program.path, dir.path()), c.number));
      EXPECT_EQ(fs::symlink_status(dir.file("output.txt")).type(), output_before);
      if (output_before == fs::file_type::regular) {
        EXPECT_EQ(dir.read("output.txt"), kPrevious);
      }
      if (output_before == fs::file_type::symlink) {
        EXPECT_FALSE(fs::exists(dir.file("gone")));
      }
    }
  }
}

TEST(FaultInjection, FileLockedByAnotherProcess) {
  for (const Program& program : kPrograms) {
    for (const char* locked : {"input.txt", "output.txt"}) {
      SCOPED_TRACE(program.name + (std::string(": ") + locked));
      TempDir dir;
      dir.write("input.txt", kTask);
      dir.write("output.txt", kPrevious);
      {
        const robust::LockHolder holder(dir.file(locked));
        EXPECT_TRUE(EndedWith(testsupport::run(program.path, dir.path()), 5));
        EXPECT_EQ(dir.read("input.txt"), kTask);
        EXPECT_EQ(dir.read("output.txt"), kPrevious);
      }
      // Let go, the same run goes through: the lock alone was in the way.
      EXPECT_TRUE(EndedWith(testsupport::run(program.path, dir.path()), 0));
      EXPECT_EQ(dir.read("output.txt"), program.answer);
    }
  }
}

// With standard input closed, a file opened by name lands on descriptor 0 and
// must move above the standard ones. Where the descriptor limit leaves no
// room for that, the open fails with too many open files (4), and a failed
// open of the answer file neither creates it nor changes it. The refuser
// closes its input before it opens its answer, so 4 descriptors suffice it.
TEST(FaultInjection, NoRoomAboveTheStandardDescriptors) {
  const struct {
    const Program& program;
    rlim_t limit;
    bool answer_exists;
    int number;
  } cases[] = {
      {kPrograms[0], 3, true, 4},  {kPrograms[0], 3, false, 4}, {kPrograms[0], 4, true, 4},
      {kPrograms[0], 4, false, 4}, {kPrograms[1], 3, true, 4},  {kPrograms[1], 4, false, 0},
      {kPrograms[0], 5, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program.name + (": limit " + std::to_string(c.limit)) +
                 (c.answer_exists ? ", answer file there" : ", no answer file"));
    TempDir dir;
    dir.write("input.txt", kTask);
    if (c.answer_exists) dir.write("output.txt", kPrevious);
    robust::Pipe out;
    const rlim_t limit = c.limit;
    const pid_t pid = robust::start(c.program.path, dir.path(), out.write_end, [limit] {
      const rlimit descriptors{limit, limit};
      // Only the standard descriptors count: none inherited from the test's runner.
      for (int fd = 3; fd < 1024; ++fd)
        close(fd);
      close(0);
      setrlimit(RLIMIT_NOFILE, &descriptors);
    });
    out.close_write();
    EXPECT_TRUE(EndedWith(robust::finish(pid, out.read_end), c.number));
    const std::optional<std::string> before =
        c.answer_exists ? std::optional<std::string>(kPrevious) : std::nullopt;
    EXPECT_EQ(dir.read("output.txt"), c.number == 0 ? c.program.answer : before);
  }
}

// A read that fails while a number is read ends the run with the read's own
// error (an I/O error, 154), not as if no number were there (106). Reading
// this process's memory at address 0 fails with an I/O error.
TEST(FaultInjection, FailingReadOfTheLengthReportsItsCause) {
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    TempDir dir;
    fs::create_symlink("/proc/self/mem", dir.file("input.txt"));
    dir.write("output.txt", kPrevious);
    EXPECT_TRUE(EndedWith(testsupport::run(program.path, dir.path()), 154));
    EXPECT_EQ(dir.read("output.txt"), kPrevious);
  }
}

// Past the file-size limit a write fails like a full disk: 101, not a death.
TEST(FaultInjection, AnswerFileOverTheSizeLimit) {
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    TempDir dir;
    dir.write("input.txt", long_task(200, 1));
    robust::Pipe out;
    const pid_t pid = robust::start(program.path, dir.path(), out.write_end, [] {
      const rlimit one_byte{1, 1};
      setrlimit(RLIMIT_FSIZE, &one_byte);
    });
    out.close_write();
    EXPECT_TRUE(EndedWith(robust::finish(pid, out.read_end), 101));
    EXPECT_LE(dir.read("output.txt").value_or("").size(), 1u);
  }
}

TEST(FaultInjection, StandardOutputClosedOrBroken) {
  const struct {
    const char* what;
    std::string input;  // none: missing
    int number;
  } runs[] = {
      {"missing input", "", 2}, {"no number", "twenty\n4\n", 106}, {"a good task", kTask, 0}};
  const char* const outputs[] = {"closed", "closed, and input and error too",
                                 "a pipe with no reader", "/dev/full"};
  for (const Program& program : kPrograms) {
    for (int o = 0; o < 4; ++o) {
      for (const auto& run : runs) {
        SCOPED_TRACE(program.name + (": standard output " + std::string(outputs[o]) + ", ") +
                     run.what);
        TempDir dir;
        if (!run.input.empty()) dir.write("input.txt", run.input);
        dir.write("output.txt", kPrevious);
        robust::Pipe widowed;
        widowed.close_read();
        const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
        const int fd = o == 2 ? widowed.write_end : o == 3 ? full : -1;
        const pid_t pid = robust::start(program.path, dir.path(), fd, [o] {
          if (o == 1) close(0), close(2);
        });
        close(full);
        const RunResult r = robust::finish(pid);
        ASSERT_TRUE(r.exited) << testsupport::describe(r);
        EXPECT_EQ(r.exit_code, run.number);
        EXPECT_EQ(dir.read("output.txt"), run.number == 0 ? program.answer : kPrevious);
      }
    }
  }
}

// Writes bytes into a FIFO a few at a time with short pauses, once a reader
// has opened it; gives up waiting for one when told to stop.
void feed_slowly(const std::string& fifo, const std::string& bytes, const std::atomic<bool>& stop) {
  int fd;
  while ((fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && !stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (fd < 0) return;
  fcntl(fd, F_SETFL, 0);
  unsigned step = 12345;
  for (size_t at = 0, piece; at < bytes.size(); at += piece) {
    step = step * 1103515245 + 12345;
    piece = std::min<size_t>(1 + (step >> 16) % 7, bytes.size() - at);
    if (write(fd, bytes.data() + at, piece) <= 0) break;  // the reader has gone
    std::this_thread::sleep_for(std::chrono::microseconds(100 + (step >> 8) % 400));
  }
  close(fd);
}

TEST(FaultInjection, InputThroughASlowFifo) {
  signal(SIGPIPE, SIG_IGN);  // a writer whose reader has gone sees EPIPE
  const std::string tasks[] = {kTask, long_task(300, 2), "20\n2\n6:40\r\n5:00", "20\n\n\nx\n",
                               "20\n900\n1:00\n"};
  for (const Program& program : kPrograms) {
    for (const std::string& task : tasks) {
      SCOPED_TRACE(program.name + (": " + task.substr(0, 20)));
      TempDir file_dir, fifo_dir;
      file_dir.write("input.txt", task);
      ASSERT_EQ(mkfifo(fifo_dir.file("input.txt").c_str(), 0600), 0);
      for (const TempDir* dir : {&file_dir, &fifo_dir})
        dir->write("output.txt", kPrevious);
      const RunResult from_file = testsupport::run(program.path, file_dir.path());
      std::atomic<bool> stop{false};
      std::thread writer(feed_slowly, fifo_dir.file("input.txt"), task, std::cref(stop));
      const RunResult from_fifo = testsupport::run(program.path, fifo_dir.path());
      stop = true;
      writer.join();
      ASSERT_TRUE(from_fifo.exited) << testsupport::describe(from_fifo);
      EXPECT_EQ(from_fifo.exit_code, from_file.exit_code);
      EXPECT_EQ(from_fifo.stdout_bytes, from_file.stdout_bytes);
      EXPECT_EQ(fifo_dir.read("output.txt"), file_dir.read("output.txt"));
    }
  }
}

TEST(FaultInjection, TwoSplittersInOneDirectory) {
  const std::string task = long_task(1500, 3);
  std::string answer;
  {  // the answer when it runs alone
    TempDir dir;
    dir.write("input.txt", task);
    ASSERT_TRUE(EndedWith(testsupport::run(SPLITTER_PATH, dir.path()), 0));
    answer = dir.read("output.txt").value_or("");
    ASSERT_EQ(robust::split_answer_fault(answer, robust::expected_split(task)), "");
  }
  int refused = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TempDir dir;
    dir.write("input.txt", task);
    if (round % 2 == 0) dir.write("output.txt", kPrevious);
    robust::Pipe gate, outs[2];  // both wait at the gate until it closes
    pid_t pids[2];
    for (int i = 0; i < 2; ++i) {
      pids[i] = robust::start(SPLITTER_PATH, dir.path(), outs[i].write_end, [&gate] {
        char byte;
        close(gate.write_end);
        while (read(gate.read_end, &byte, 1) < 0 && errno == EINTR) {
        }
      });
      outs[i].close_write();
    }
    gate.close_write();
    int successes = 0;
    for (int i = 0; i < 2; ++i) {
      const RunResult r = robust::finish(pids[i], outs[i].read_end);
      EXPECT_TRUE(r.exit_code == 0 ? EndedWith(r, 0) : EndedWith(r, 5));
      successes += r.exit_code == 0;
      refused += r.exit_code == 5;
    }
    EXPECT_GE(successes, 1);
    EXPECT_EQ(dir.read("output.txt"), answer);
  }
  RecordProperty("refused", refused);
  std::printf("two splitters, 40 rounds: %d runs refused with 5\n", refused);
}

// One splitter finds the shared answer file empty and is held just before it
// locks it; another fills it meanwhile with a longer answer. Once the first
// holds the lock, the file must be emptied all the same, or it ends as a mix.
TEST(FaultInjection, AnswerFileFilledBeforeItIsLocked) {
  const std::string tasks[] = {kTask, long_task(30, 6)};
  TempDir first, second;
  first.write("input.txt", tasks[0]);
  second.write("input.txt", tasks[1]);
  first.write("output.txt", "");
  fs::create_hard_link(first.file("output.txt"), second.file("output.txt"));
  robust::Pipe out;
  // The input file is locked first, the answer file second.
  robust::HeldAtSyscall held(SPLITTER_PATH, first.path(), out.write_end, SYS_flock, 2);
  out.close_write();
  if (!held.held()) {
    held.release();
    GTEST_SKIP() << "cannot trace a child here";
  }
  EXPECT_TRUE(EndedWith(testsupport::run(SPLITTER_PATH, second.path()), 0));
  EXPECT_TRUE(EndedWith(held.release(out.read_end), 0));
  EXPECT_EQ(first.read("output.txt"), kPrograms[0].answer);
}

}  // namespace
