// The native-error table: each Linux error number and the platform code it
// becomes. The codes follow the numbering that the I/O results are built on,
// and every I/O result they produce stays below 256, so it is also a valid
// exit status.
#include "linux/native_errors.hpp"

#include "internal/text.hpp"
#include "linux/kernel.hpp"

namespace rt::platform {

namespace {

struct NATIVEERROR {
  int native;
  int32_t code;
};

constexpr NATIVEERROR NATIVE_ERRORS[] = {
    {ENOENT, CODE_FILE_NOT_FOUND},          // 2: no such file
    {ENOTDIR, CODE_PATH_NOT_FOUND},         // 3: a path component is not a directory
    {ELOOP, CODE_PATH_NOT_FOUND},           // 3: the path cannot be resolved
    {EACCES, CODE_ACCESS_DENIED},           // 5
    {EPERM, CODE_ACCESS_DENIED},            // 5
    {EISDIR, CODE_ACCESS_DENIED},           // 5: a directory is not a file
    {ETXTBSY, CODE_SHARING_VIOLATION},      // 5: in use
    {EWOULDBLOCK, CODE_SHARING_VIOLATION},  // 5: locked by another opener
    {EMFILE, 4},                            // 4: too many open files
    {ENFILE, 4},                            // 4
    {EBADF, 6},                             // 6: invalid handle
    {ENOMEM, 8},                            // 8: not enough memory
    {EROFS, 19},                            // 150: write-protected
    {ENXIO, 21},                            // 152: device not ready
    {ENODEV, 21},                           // 152
    {EIO, 23},                              // 154: data error
    {EINVAL, 87},                           // 87: invalid parameter
    {EPIPE, CODE_BROKEN_PIPE},              // 109: the reader has gone
    {ENOSPC, 112},                          // 112: disk full
    {EDQUOT, 112},                          // 112
    {EFBIG, 223},                           // 223: file too large
    {ENAMETOOLONG, 206},                    // 206: name too long
};

constexpr int32_t CODE_GENERAL_FAILURE = 31;  // 162: anything else

}  // namespace

int32_t platform_code(long failed_result) {
  const long native = -failed_result;
  for (const NATIVEERROR& entry : NATIVE_ERRORS) {
    if (entry.native == native) return entry.code;
  }
  return CODE_GENERAL_FAILURE;
}

}  // namespace rt::platform
