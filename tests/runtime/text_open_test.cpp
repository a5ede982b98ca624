// Opening and closing records, exclusive use, and operations on records in the wrong state.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "runtime/startup.hpp"
#include "text_fixture.hpp"

namespace {

using namespace rt;

using TextOpenTest = texttest::TextFileTest;

TEST_F(TextOpenTest, FailedOpensLeaveTheRecordClosedWithTheCause) {
  std::filesystem::create_directory(dir.file("sub"));
  dir.write("plain", "x");
  const struct {
    const char* name;
    bool for_writing;
    uint16_t result;
  } cases[] = {
      {"input.txt", false, 2},
      {"nodir/input.txt", false, 3},
      {"nodir/output.txt", true, 3},
      {"plain/input.txt", false, 3},
      {"plain/output.txt", true, 3},
      {"sub", false, 5},
      {"sub", true, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.for_writing ? " for writing" : " for reading"));
    EXPECT_EQ(open(c.name, c.for_writing), c.result);
    EXPECT_EQ(t.MODE, FMCLOSED);
    EXPECT_EQ(ERRNO, 0);
  }
  EXPECT_EQ(dir.read("plain"), "x");
}

TEST_F(TextOpenTest, RewriteCreatesOrEmptiesAtOnce) {
  open_writing();
  EXPECT_EQ(dir.read("output.txt"), "");
  close_quietly();
  dir.write("output.txt", std::string(1000, 'z'));
  open_writing();
  EXPECT_EQ(dir.read("output.txt"), "");
  WRITE_SINT(0, t, 1);
  CLOSE(t);
  EXPECT_EQ(written(), "1");
}

TEST_F(TextOpenTest, AFileLockedByAnotherProcessIsRefusedAndLeftUnchanged) {
  dir.write("output.txt", "held elsewhere");
  int ready[2], release[2];
  ASSERT_TRUE(pipe(ready) == 0 && pipe(release) == 0);
  const pid_t child = fork();
  if (child == 0) {  // takes the lock and keeps it until the parent closes its end
    close(release[1]);
    const int fd = ::open(dir.file("output.txt").c_str(), O_RDONLY);
    char c = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'L' : 'E';
    if (write(ready[1], &c, 1) == 1) {
      while (read(release[0], &c, 1) > 0) {
      }
    }
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char c = 0;
  EXPECT_TRUE(read(ready[0], &c, 1) == 1 && c == 'L');
  EXPECT_EQ(open("output.txt", false), 5);
  EXPECT_EQ(open("output.txt", true), 5);
  EXPECT_EQ(t.MODE, FMCLOSED);
  EXPECT_EQ(written(), "held elsewhere");
  close(release[1]);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(open("output.txt", false), 0) << "free again once the holder has gone";
}

void read_string(TEXT& r) {
  SHORTSTRING s;
  READ_STRING(r, s, 255);
}

TEST_F(TextOpenTest, OperationsOnARecordInTheWrongState) {
  const struct {
    const char* name;
    void (*op)(TEXT&);
    uint16_t result[3];  // closed, open for reading, open for writing; 0: allowed
  } ops[] = {
      {"READ_SINT", [](TEXT& r) { READ_SINT(r); }, {103, 0, 104}},
      {"READ_UINT", [](TEXT& r) { READ_UINT(r); }, {103, 0, 104}},
      {"READ_STRING", read_string, {103, 0, 104}},
      {"READLN_END", READLN_END, {103, 0, 104}},
      {"WRITE_SINT", [](TEXT& r) { WRITE_SINT(0, r, 1); }, {103, 105, 0}},
      {"WRITE_STR", [](TEXT& r) { WRITE_STR(0, r, SHORTSTR("a")); }, {103, 105, 0}},
      {"WRITELN_END", WRITELN_END, {103, 105, 0}},
      {"CLOSE", CLOSE, {103, 0, 0}},
  };
  for (const int32_t mode : {FMCLOSED, FMINPUT, FMOUTPUT}) {
    for (const auto& o : ops) {
      const uint16_t expected = o.result[mode - FMCLOSED];
      if (expected == 0) continue;
      SCOPED_TRACE(std::string(o.name) + " in mode " + std::to_string(mode));
      if (mode == FMOUTPUT) {
        open_writing();
      } else {
        open_reading("1\n");
        if (mode == FMCLOSED) CLOSE(t);
      }
      o.op(t);
      EXPECT_EQ(INOUTRES, expected);
      EXPECT_EQ(t.MODE, mode);
      INOUTRES = 0;
    }
  }
  CLOSE(t);
  WRITE_END(t);  // does not look at the mode
  EXPECT_EQ(INOUTRES, 0);
}

TEST(StandardRecords, CloseLeavesTheStandardHandlesOpen) {
  const uint8_t console = ISCONSOLE;
  ISCONSOLE = 1;
  INITIALIZEUNITS();
  ISCONSOLE = console;
  for (TEXT* r : {&INPUT, &OUTPUT, &STDOUT, &STDERR}) {
    const int fd = r->HANDLE;
    ASSERT_TRUE(fd >= 0 && fd <= 2);
    if (fcntl(fd, F_GETFD) == -1) continue;  // not given to this process
    const int spare = dup(fd);
    CLOSE(*r);
    EXPECT_EQ(INOUTRES, 0);
    EXPECT_EQ(r->MODE, FMCLOSED);
    const bool still_open = fcntl(fd, F_GETFD) != -1;
    EXPECT_TRUE(still_open) << "descriptor " << fd;
    if (!still_open) dup2(spare, fd);  // keeps the test process's own output working
    close(spare);
    INOUTRES = 0;
  }
}

// Where names are written with backslashes, the open turns every slash into
// one, in place, and leaves everything else as it is.
TEST(AllowSlash, TurnsEverySlashIntoABackslash) {
  const struct {
    const char* name;
    const char* converted;
  } cases[] = {
      {"input.txt", "input.txt"}, {"sub/input.txt", "sub\\input.txt"},
      {"/a//b/", "\\a\\\\b\\"},   {"", ""},
      {"a\\b", "a\\b"},
  };
  for (const auto& c : cases) {
    char name[TEXTRECNAMESIZE] = {};
    std::string(c.name).copy(name, sizeof name - 1);
    ALLOWSLASH(name);
    EXPECT_STREQ(name, c.converted) << c.name;
  }
}

}  // namespace
