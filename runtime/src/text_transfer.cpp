// The transfers between a record and the platform: opening by name, the
// buffer's fill and drain over partial native transfers, and closing. The
// native calls report a platform code; these rules turn it into INOUTRES.
#include "internal/text.hpp"
#include "platform.hpp"

namespace rt {

namespace {

void fail(int32_t code) {
  ERRNO = code;
  ERRNO2INOUTRES();
}

}  // namespace

void ALLOWSLASH(char* name) {
  for (; *name != 0; ++name) {
    if (*name == '/') *name = '\\';
  }
}

void DO_OPEN(TEXTREC& t, char* name, int32_t mode) {
  if (platform::BACKSLASH_NAMES) ALLOWSLASH(name);
  t.HANDLE = UNUSEDHANDLE;
  const int32_t code = platform::NATIVE_OPEN(name, mode == FMOUTPUT, FILEMODE, t.HANDLE);
  if (code != 0) fail(code);
}

// Reads until the request is complete or the data ends. A device hands over
// what it has (a console, a line) in one call, so one call is all it gets.
// A broken pipe is the end of the data, not a failure.
int32_t DO_READ(int32_t handle, uint8_t* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    const platform::TRANSFER done = platform::NATIVE_READ(handle, buffer + total, count - total);
    if (done.CODE != 0) {
      if (done.CODE != CODE_BROKEN_PIPE) fail(done.CODE);
      break;
    }
    if (done.COUNT == 0) break;
    total += done.COUNT;
    // Checked only after a short read, which a disk file gives once, at its end.
    if (total < count && platform::DO_ISDEVICE(handle)) break;
  }
  return total;
}

// Writes until everything is written, a call writes nothing, or one fails.
int32_t DO_WRITE(int32_t handle, const uint8_t* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    const platform::TRANSFER done = platform::NATIVE_WRITE(handle, buffer + total, count - total);
    if (done.CODE != 0) {
      fail(done.CODE);
      break;
    }
    if (done.COUNT == 0) break;
    total += done.COUNT;
  }
  return total;
}

// The handle of a device stays open: a console is not the program's to close.
void DO_CLOSE(int32_t handle) {
  if (!platform::DO_ISDEVICE(handle)) platform::NATIVE_CLOSE(handle);
}

}  // namespace rt
