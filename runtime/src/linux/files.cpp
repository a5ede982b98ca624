// Linux files: open with exclusive use, one read, one write, close, the device
// test and the standard handles, over the system-call table.
//
// Divisions: the device test of opened handles; opening (directories refused,
// a lock taken before a file is emptied where the file system has locks,
// standard descriptors kept free, and nothing left behind by an open that
// fails); transfers; closing.
#include "linux/kernel.hpp"
#include "linux/native_errors.hpp"
#include "platform.hpp"

namespace rt::platform {

const bool BACKSLASH_NAMES = false;

int32_t STANDARD_HANDLE(STDSTREAM stream) {
  switch (stream) {
    case STDSTREAM::INPUT_STREAM:
      return 0;
    case STDSTREAM::OUTPUT_STREAM:
      return 1;
    case STDSTREAM::ERROR_STREAM:
      return 2;
  }
  return UNUSEDHANDLE;
}

namespace {

constexpr long HIGHEST_STANDARD_DESCRIPTOR = 2;

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

// A call made again while a signal interrupts it.
template <typename CALL>
long retried(CALL call) {
  long result;
  do {
    result = call();
  } while (result == -EINTR);
  return result;
}

// --- Opening -----------------------------------------------------------------

// A missing name whose directory part is missing too is a missing path (3),
// not a missing file (2).
int32_t missing_name_code(const char* name) {
  int32_t last_slash = -1;
  for (int32_t i = 0; name[i] != 0; ++i) {
    if (name[i] == '/') last_slash = i;
  }
  if (last_slash <= 0) return CODE_FILE_NOT_FOUND;
  char directory[TEXTRECNAMESIZE];
  for (int32_t i = 0; i < last_slash; ++i)
    directory[i] = name[i];
  directory[last_slash] = 0;
  const long result = syscalls.faccessat(AT_FDCWD, directory, 0);
  if (result == -ENOENT || result == -ENOTDIR) return CODE_PATH_NOT_FOUND;
  return CODE_FILE_NOT_FOUND;
}

// Moves a descriptor that landed on a closed standard descriptor above them,
// so that a file opened by name never stands in for standard output.
long above_standard_descriptors(long fd) {
  if (fd > HIGHEST_STANDARD_DESCRIPTOR) return fd;
  long moved = syscalls.fcntl(static_cast<int>(fd), F_DUPFD, HIGHEST_STANDARD_DESCRIPTOR + 1);
  // The kernel refuses a lowest descriptor at or beyond the descriptor limit
  // as an invalid argument; for the opener it means too many open files.
  if (moved == -EINVAL) moved = -EMFILE;
  syscalls.close(static_cast<int>(fd));
  return moved;
}

// Opens the file to read, or to write without emptying it yet; a missing file
// to write is created, and `created` says so.
long open_by_name(const char* name, bool for_writing, bool& created, int32_t& code) {
  created = false;
  const auto open = [name](int flags, int mode) {
    return retried([=] { return syscalls.openat(AT_FDCWD, name, flags | O_NOCTTY, mode); });
  };
  long fd = open(for_writing ? O_WRONLY : O_RDONLY, 0);
  if (fd == -ENOENT && for_writing) {
    fd = open(O_WRONLY | O_CREAT | O_EXCL, 0666);
    created = fd >= 0;
    // Made meanwhile by another opener, or a link to a file yet to be made.
    if (fd == -EEXIST) fd = open(O_WRONLY | O_CREAT, 0666);
  }
  if (fd == -ENOENT) {
    code = for_writing ? CODE_PATH_NOT_FOUND : missing_name_code(name);
  } else if (fd < 0) {
    code = platform_code(fd);
  }
  return fd;
}

// Takes the file for exclusive use. A file system that cannot lock at all
// (a lock service out of reach, locks not supported, a file type that takes
// none) leaves the file unlocked: the lock stands in for exclusive use and is
// never a reason for a run to fail.
long lock(long fd) {
  const long result =
      retried([fd] { return syscalls.flock(static_cast<int>(fd), LOCK_EX | LOCK_NB); });
  switch (-result) {
    case ENOLCK:
    case EOPNOTSUPP:
    case ENOSYS:
    case EINVAL:
      return 0;
  }
  return result;
}

// Opens the file and takes it for exclusive use; the handle, or a failed
// result with the platform code it stands for. A file that this open created
// is removed again when the open fails before it is locked.
long open_exclusive(const char* name, bool for_writing, int32_t& code) {
  bool created;
  long fd = open_by_name(name, for_writing, created, code);
  if (fd < 0) return fd;
  long result = above_standard_descriptors(fd);
  fd = result;  // on failure the descriptor is closed already
  struct stat st;
  if (result >= 0) {
    result = syscalls.fstat(static_cast<int>(fd), &st);
    if (result == 0 && is_directory(st)) result = -EISDIR;
  }
  // Devices are shared by nature (a terminal, /dev/null); everything else is
  // locked before it is emptied, so a file in use elsewhere stays as it was.
  // A lock held elsewhere fails with EWOULDBLOCK: a sharing violation, and the
  // file is the holder's, whoever made it.
  if (result == 0 && !is_char_device(st)) {
    result = lock(fd);
    if (result == -EWOULDBLOCK) created = false;
  }
  // Emptied only now that it is ours: its size seen before the lock may
  // already be stale.
  if (result == 0 && for_writing && is_regular(st)) {
    result = retried([fd] { return syscalls.ftruncate(static_cast<int>(fd), 0); });
  }
  if (result < 0) {
    if (fd >= 0) syscalls.close(static_cast<int>(fd));
    if (created) syscalls.unlinkat(AT_FDCWD, name, 0);
    code = platform_code(result);
    return result;
  }
  remember_kind(fd, is_char_device(st) ? KIND_DEVICE : KIND_FILE);
  return fd;
}

}  // namespace

// FILEMODE 2 shares an opened file with nobody, which open_exclusive does;
// it is the only mode there is.
int32_t NATIVE_OPEN(const char* name, bool for_writing, uint8_t, int32_t& handle) {
  int32_t code = 0;
  const long fd = open_exclusive(name, for_writing, code);
  handle = fd < 0 ? UNUSEDHANDLE : static_cast<int32_t>(fd);
  return fd < 0 ? code : 0;
}

// --- Transfers ---------------------------------------------------------------

namespace {

// One transfer call, made again while a signal interrupts it.
template <typename CALL>
TRANSFER transfer(CALL call) {
  const long result = retried(call);
  if (result < 0) return {0, platform_code(result)};
  return {static_cast<int32_t>(result), 0};
}

}  // namespace

TRANSFER NATIVE_READ(int32_t handle, uint8_t* buffer, int32_t count) {
  return transfer([=] { return syscalls.read(handle, buffer, static_cast<unsigned long>(count)); });
}

TRANSFER NATIVE_WRITE(int32_t handle, const uint8_t* buffer, int32_t count) {
  return transfer(
      [=] { return syscalls.write(handle, buffer, static_cast<unsigned long>(count)); });
}

// --- Closing and the device test ---------------------------------------------

void NATIVE_CLOSE(int32_t handle) {
  syscalls.close(handle);
  remember_kind(handle, 0);
}

bool DO_ISDEVICE(int32_t handle) {
  if (handle >= 0 && handle < KNOWN_HANDLES && handle_kind[handle] != 0) {
    return handle_kind[handle] == KIND_DEVICE;
  }
  struct stat st;
  return syscalls.fstat(handle, &st) == 0 && is_char_device(st);
}

}  // namespace rt::platform
