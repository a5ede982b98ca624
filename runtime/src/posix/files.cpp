// POSIX files: open with exclusive use, read, write, close and the device
// test, over the system-call table.
//
// Divisions: failure reporting; opening (directories refused, a lock taken
// before a file is emptied, standard descriptors kept free); transfers
// (partial transfers and interruptions); closing and the device test.
#include "platform.hpp"
#include "posix/kernel.hpp"
#include "posix/native_errors.hpp"

namespace rt::platform {

using posix::syscalls;

const int32_t STDINPUTHANDLE = 0;
const int32_t STDOUTPUTHANDLE = 1;
const int32_t STDERRORHANDLE = 2;

namespace {

// --- The device test of opened handles ----------------------------------------

// What the open learned of each handle it returned (0 not known, else one of
// the kinds below), so that the line-end flush, the read loop and the close
// need no further system call to tell a device from a file.
constexpr int32_t KNOWN_HANDLES = 64;
constexpr uint8_t KIND_FILE = 1;
constexpr uint8_t KIND_DEVICE = 2;
constinit uint8_t handle_kind[KNOWN_HANDLES]{};

void remember_kind(long fd, uint8_t kind) {
  if (fd >= 0 && fd < KNOWN_HANDLES) handle_kind[fd] = kind;
}

// --- Failure reporting -------------------------------------------------------

void fail_with_code(int32_t code) {
  ERRNO = code;
  ERRNO2INOUTRES();
}

void fail(long failed_result) {
  fail_with_code(posix::platform_code(failed_result));
}

// --- Opening -----------------------------------------------------------------

// A missing name whose directory part is missing too is a missing path (3),
// not a missing file (2).
int32_t missing_name_code(const char* name) {
  int32_t last_slash = -1;
  for (int32_t i = 0; name[i] != 0; ++i) {
    if (name[i] == '/') last_slash = i;
  }
  if (last_slash <= 0) return posix::CODE_FILE_NOT_FOUND;
  char directory[TEXTRECNAMESIZE];
  for (int32_t i = 0; i < last_slash; ++i)
    directory[i] = name[i];
  directory[last_slash] = 0;
  const long result = syscalls.faccessat(AT_FDCWD, directory, 0);
  if (result == -ENOENT || result == -ENOTDIR) return posix::CODE_PATH_NOT_FOUND;
  return posix::CODE_FILE_NOT_FOUND;
}

// Moves a descriptor that landed on a closed standard descriptor above them,
// so that a file opened by name never stands in for standard output.
long above_standard_descriptors(long fd) {
  if (fd > STDERRORHANDLE) return fd;
  const long moved = syscalls.fcntl(static_cast<int>(fd), F_DUPFD, STDERRORHANDLE + 1);
  syscalls.close(static_cast<int>(fd));
  return moved;
}

// Opens the file and takes it for exclusive use; the handle, or a failed
// result with the platform code it stands for.
long open_exclusive(const char* name, bool for_writing, int32_t& code) {
  const int flags = (for_writing ? O_WRONLY | O_CREAT : O_RDONLY) | O_NOCTTY;
  long fd = syscalls.openat(AT_FDCWD, name, flags, 0666);
  if (fd == -ENOENT) {
    code = for_writing ? posix::CODE_PATH_NOT_FOUND : missing_name_code(name);
    return fd;
  }
  if (fd >= 0) fd = above_standard_descriptors(fd);
  if (fd < 0) {
    code = posix::platform_code(fd);
    return fd;
  }
  const int handle = static_cast<int>(fd);
  struct stat st;
  long result = syscalls.fstat(handle, &st);
  if (result == 0 && posix::is_directory(st)) result = -EISDIR;
  // Devices are shared by nature (a terminal, /dev/null); everything else is
  // locked before it is emptied, so a file in use elsewhere stays as it was.
  // A lock held elsewhere fails with EWOULDBLOCK: a sharing violation.
  if (result == 0 && !posix::is_char_device(st)) result = syscalls.flock(handle, LOCK_EX | LOCK_NB);
  // Emptied only now that it is ours: its size seen before the lock may
  // already be stale.
  if (result == 0 && for_writing && posix::is_regular(st)) result = syscalls.ftruncate(handle, 0);
  if (result < 0) {
    syscalls.close(handle);
    code = posix::platform_code(result);
    return result;
  }
  remember_kind(fd, posix::is_char_device(st) ? KIND_DEVICE : KIND_FILE);
  return fd;
}

}  // namespace

void DO_OPEN(TEXTREC& t, const char* name, int32_t mode) {
  // FILEMODE 2 shares an opened file with nobody, which open_exclusive does.
  t.HANDLE = UNUSEDHANDLE;
  int32_t code = 0;
  const long fd = open_exclusive(name, mode == FMOUTPUT, code);
  if (fd < 0) {
    fail_with_code(code);
    return;
  }
  t.HANDLE = static_cast<int32_t>(fd);
}

// --- Transfers ---------------------------------------------------------------

int32_t DO_READ(int32_t handle, uint8_t* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    const long result =
        syscalls.read(handle, buffer + total, static_cast<unsigned long>(count - total));
    if (result == -EINTR) continue;
    if (result < 0) {
      // A broken pipe is the end of the data, not a failure.
      if (posix::platform_code(result) != posix::CODE_BROKEN_PIPE) fail(result);
      break;
    }
    if (result == 0) break;
    total += static_cast<int32_t>(result);
    // A device hands over what it has (a terminal, a line); one call is all.
    if (total < count && DO_ISDEVICE(handle)) break;
  }
  return total;
}

int32_t DO_WRITE(int32_t handle, const uint8_t* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    const long result =
        syscalls.write(handle, buffer + total, static_cast<unsigned long>(count - total));
    if (result == -EINTR) continue;
    if (result < 0) {
      fail(result);
      break;
    }
    if (result == 0) break;
    total += static_cast<int32_t>(result);
  }
  return total;
}

// --- Closing and the device test ---------------------------------------------

void DO_CLOSE(int32_t handle) {
  if (DO_ISDEVICE(handle)) return;
  syscalls.close(handle);
  remember_kind(handle, 0);
}

bool DO_ISDEVICE(int32_t handle) {
  if (handle >= 0 && handle < KNOWN_HANDLES && handle_kind[handle] != 0) {
    return handle_kind[handle] == KIND_DEVICE;
  }
  struct stat st;
  return syscalls.fstat(handle, &st) == 0 && posix::is_char_device(st);
}

}  // namespace rt::platform
