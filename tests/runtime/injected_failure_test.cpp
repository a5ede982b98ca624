// Failed, partial and interrupted reads and writes, injected through the system-call table.
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "linux/syscalls.hpp"
#include "text_fixture.hpp"

namespace {

using namespace rt;
using platform::kernel_syscalls;
using platform::syscalls;

// What the next calls of a faked entry do: a step n > 0 passes at most n bytes
// on to the kernel, a step of 0 or less is returned as it is (nothing moved,
// or a negated error number). Calls past the script pass on whole.
std::vector<long> script;
size_t next_step = 0;

bool scripted(unsigned long& count, long& result) {
  if (next_step >= script.size()) return false;
  const long step = script[next_step++];
  if (step <= 0) {
    result = step;
    return true;
  }
  if (count > static_cast<unsigned long>(step)) count = static_cast<unsigned long>(step);
  return false;
}

long scripted_write(int fd, const void* buffer, unsigned long count) {
  long result;
  return scripted(count, result) ? result : kernel_syscalls.write(fd, buffer, count);
}

long scripted_read(int fd, void* buffer, unsigned long count) {
  long result;
  return scripted(count, result) ? result : kernel_syscalls.read(fd, buffer, count);
}

class InjectedFailureTest : public texttest::TextFileTest {
 protected:
  void TearDown() override {
    syscalls = kernel_syscalls;
    TextFileTest::TearDown();
  }
  static void fake(std::vector<long> steps) {
    script = std::move(steps);
    next_step = 0;
    syscalls.write = scripted_write;
    syscalls.read = scripted_read;
  }
};

TEST_F(InjectedFailureTest, AnIncompleteDrainAtCloseGives101AndClosesAllTheSame) {
  const struct {
    const char* what;
    std::vector<long> steps;
    uint16_t result;
    const char* on_disk;
  } cases[] = {
      {"disk full", {-ENOSPC}, 101, ""},
      {"I/O error", {-EIO}, 101, ""},
      {"short write, then nothing", {4, 0}, 101, "0123"},
      {"short write, then disk full", {4, -ENOSPC}, 101, "0123"},
      {"partial writes", {4, 3, 2}, 0, "0123456789"},
      {"interrupted", {-EINTR, -EINTR}, 0, "0123456789"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open_writing();
    WRITE_STR(0, t, SHORTSTR("0123456789"));
    fake(c.steps);
    CLOSE(t);
    syscalls = kernel_syscalls;
    EXPECT_EQ(INOUTRES, c.result);
    EXPECT_EQ(ERRNO, 0);
    EXPECT_EQ(t.MODE, FMCLOSED);
    EXPECT_EQ(written(), c.on_disk);
    EXPECT_EQ(open("output.txt", false), 0) << "the handle was released";
  }
}

TEST_F(InjectedFailureTest, AFailedDrainDropsItsBlockAndTheWriteGoesOn) {
  open_writing();
  WRITE_STR(0, t, texttest::shortstring(std::string(200, 'a')));
  fake({-ENOSPC});
  WRITE_STR(0, t, texttest::shortstring(std::string(100, 'b')));
  EXPECT_EQ(INOUTRES, IO_DISK_WRITE);
  EXPECT_EQ(t.CURSOR, 44);
  syscalls = kernel_syscalls;
  INOUTRES = 0;
  CLOSE(t);
  EXPECT_EQ(written(), std::string(44, 'b'));
}

// Reopening a record whose final drain fails leaves the failure pending and
// opens nothing, so no handle is left holding the file.
TEST_F(InjectedFailureTest, AReopenWhoseCloseFailsOpensNothing) {
  open_writing();
  WRITE_STR(0, t, SHORTSTR("lost"));
  fake({-ENOSPC});
  REWRITE(t);
  syscalls = kernel_syscalls;
  EXPECT_EQ(INOUTRES, IO_DISK_WRITE);
  EXPECT_EQ(t.MODE, FMCLOSED);
  EXPECT_EQ(t.HANDLE, UNUSEDHANDLE);
  EXPECT_EQ(written(), "");
  EXPECT_EQ(open("output.txt", true), 0) << "the file is not held";
}

std::string read_sint(TEXT& r) {
  return std::to_string(READ_SINT(r));
}
std::string read_uint(TEXT& r) {
  return std::to_string(READ_UINT(r));
}
std::string read_string(TEXT& r) {
  SHORTSTRING s;
  READ_STRING(r, s, 255);
  return std::string(s.CHARS, s.LENGTH);
}
// The skip gives nothing back; a number read after it shows whether it failed.
std::string skip_then_read_sint(TEXT& r) {
  READLN_END(r);
  return read_sint(r);
}

TEST_F(InjectedFailureTest, ReadFailuresKeepTheirCause) {
  const struct {
    const char* what;
    std::vector<long> steps;
    std::string (*read)(TEXT&);
    const char* value;
    uint16_t result;
  } cases[] = {
      {"I/O error, signed number", {-EIO}, read_sint, "0", 154},
      {"I/O error, unsigned number", {-EIO}, read_uint, "0", 154},
      {"I/O error, line", {-EIO}, read_string, "", 154},
      {"I/O error, line skip", {-EIO}, skip_then_read_sint, "0", 154},
      {"broken pipe is the end, line", {-EPIPE}, read_string, "", 0},
      {"broken pipe is the end, number", {-EPIPE}, read_sint, "0", IO_INVALID_NUMBER},
      {"interrupted", {-EINTR}, read_sint, "12", 0},
      {"a byte at a time", {1, 1, 1}, read_string, "12", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open_reading("12\r\n34\r\n");
    fake(c.steps);
    EXPECT_EQ(c.read(t), c.value);
    EXPECT_EQ(INOUTRES, c.result);
    EXPECT_EQ(ERRNO, 0);
    syscalls = kernel_syscalls;
    INOUTRES = 0;
  }
}

// The first call of an open's system call fails with a native error: the
// I/O result it becomes, or 0 where the open goes on (an interrupted call is
// made again; a file system that cannot lock is used without the lock).
long injected_error = 0;
int injected_calls = 0;
long failing_openat(int dirfd, const char* path, int flags, int mode) {
  if (injected_calls++ == 0) return -injected_error;
  return kernel_syscalls.openat(dirfd, path, flags, mode);
}
long failing_flock(int fd, int operation) {
  if (injected_calls++ == 0) return -injected_error;
  return kernel_syscalls.flock(fd, operation);
}
long failing_ftruncate(int fd, long length) {
  if (injected_calls++ == 0) return -injected_error;
  return kernel_syscalls.ftruncate(fd, length);
}

TEST_F(InjectedFailureTest, NativeOpenErrorsBecomeTheirIOResults) {
  const auto inject_open = [] { syscalls.openat = failing_openat; };
  const auto inject_lock = [] { syscalls.flock = failing_flock; };
  const auto inject_truncate = [] { syscalls.ftruncate = failing_ftruncate; };
  const struct {
    const char* what;
    void (*inject)();
    long error;
    uint16_t result;
  } cases[] = {
      {"access refused", inject_open, EACCES, 5},
      {"read-only file system", inject_open, EROFS, 150},
      {"too many open files", inject_open, EMFILE, 4},
      {"name too long", inject_open, ENAMETOOLONG, 206},
      {"no space", inject_open, ENOSPC, 112},
      {"I/O error", inject_open, EIO, 154},
      {"anything else", inject_open, EXDEV, 162},
      {"interrupted open", inject_open, EINTR, 0},
      {"interrupted lock", inject_lock, EINTR, 0},
      {"interrupted emptying", inject_truncate, EINTR, 0},
      {"no lock service", inject_lock, ENOLCK, 0},
      {"locks not supported", inject_lock, EOPNOTSUPP, 0},
      {"no lock call", inject_lock, ENOSYS, 0},
      {"a file that takes no lock", inject_lock, EINVAL, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    injected_error = c.error;
    for (const bool for_writing : {false, true}) {
      std::filesystem::remove(dir.file("output.txt"));
      if (c.result == 0) dir.write("output.txt", "an earlier, longer answer");
      injected_calls = 0;
      c.inject();
      EXPECT_EQ(open("output.txt", for_writing), c.result);
      syscalls = kernel_syscalls;
      EXPECT_EQ(ERRNO, 0);
      if (c.result != 0) {
        EXPECT_EQ(t.MODE, FMCLOSED);
        EXPECT_EQ(dir.read("output.txt"), std::nullopt) << "no failed open created it";
      } else if (for_writing) {
        // Emptied at the open, and an ordinary file: no drain at a line end.
        EXPECT_EQ(written(), "");
        WRITE_STR(0, t, SHORTSTR("1"));
        WRITELN_END(t);
        EXPECT_EQ(written(), "");
        CLOSE(t);
        EXPECT_EQ(written(), "1\r\n");
      } else {
        EXPECT_EQ(read_line(), "an earlier, longer answer");
      }
    }
  }
}

// Three bytes a call, `calls_left` times, then the end of the data.
int reads_made = 0;
int calls_left = 0;
long three_bytes(int, void* buffer, unsigned long count) {
  ++reads_made;
  if (calls_left == 0) return 0;
  --calls_left;
  const unsigned long n = count < 3 ? count : 3;
  __builtin_memset(buffer, 'x', n);
  return static_cast<long>(n);
}

// A device hands over what it has in one call; a file is read until the
// buffer is full or the data ends.
TEST_F(InjectedFailureTest, ADeviceGetsOneReadPerFill) {
  dir.write("input.txt", "");
  const struct {
    const char* name;
    int reads;
    int32_t filled;
  } cases[] = {{"/dev/null", 1, 3}, {"input.txt", 6, 15}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    close_quietly();
    ASSIGN(t, c.name[0] == '/' ? c.name : dir.file(c.name).c_str());
    RESET(t);
    ASSERT_EQ(INOUTRES, 0);
    reads_made = 0;
    calls_left = 5;
    syscalls.read = three_bytes;
    FILEREADFUNC(t);
    syscalls = kernel_syscalls;
    EXPECT_EQ(reads_made, c.reads);
    EXPECT_EQ(t.FILLED, c.filled);
    EXPECT_EQ(INOUTRES, 0);
  }
}

}  // namespace
