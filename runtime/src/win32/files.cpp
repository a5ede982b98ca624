// Windows files over kernel32: open with no sharing, one read, one write,
// close, the device test and the standard handles. GetLastError's codes are
// the platform codes as they are.
#include "platform.hpp"
#include "win32/kernel32.hpp"

namespace rt::platform {

const bool BACKSLASH_NAMES = true;

int32_t STANDARD_HANDLE(STDSTREAM stream) {
  DWORD which = STD_INPUT_HANDLE;
  if (stream == STDSTREAM::OUTPUT_STREAM) which = STD_OUTPUT_HANDLE;
  if (stream == STDSTREAM::ERROR_STREAM) which = STD_ERROR_HANDLE;
  return handle_value(GetStdHandle(which));
}

namespace {

// The code of the call that just failed; a failure that leaves no code is a
// general failure, never success.
int32_t last_error() {
  const DWORD code = GetLastError();
  return code != 0 ? static_cast<int32_t>(code) : ERROR_GEN_FAILURE;
}

}  // namespace

// FILEMODE 2, the only mode there is, shares an opened file with nobody:
// share mode 0. The handle is inheritable.
int32_t NATIVE_OPEN(const char* name, bool for_writing, uint8_t, int32_t& handle) {
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;  // 12
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;
  const HANDLE opened =
      CreateFileA(name, for_writing ? GENERIC_WRITE : GENERIC_READ, 0, &security,
                  for_writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  handle = handle_value(opened);
  return opened == nullptr || opened == INVALID_HANDLE_VALUE ? last_error() : 0;
}

TRANSFER NATIVE_READ(int32_t handle, uint8_t* buffer, int32_t count) {
  DWORD done = 0;
  if (!ReadFile(native_handle(handle), buffer, static_cast<DWORD>(count), &done, nullptr)) {
    return {0, last_error()};
  }
  return {static_cast<int32_t>(done), 0};
}

TRANSFER NATIVE_WRITE(int32_t handle, const uint8_t* buffer, int32_t count) {
  DWORD done = 0;
  if (!WriteFile(native_handle(handle), buffer, static_cast<DWORD>(count), &done, nullptr)) {
    return {0, last_error()};
  }
  return {static_cast<int32_t>(done), 0};
}

void NATIVE_CLOSE(int32_t handle) {
  CloseHandle(native_handle(handle));
}

bool DO_ISDEVICE(int32_t handle) {
  return GetFileType(native_handle(handle)) == FILE_TYPE_CHAR;
}

}  // namespace rt::platform
