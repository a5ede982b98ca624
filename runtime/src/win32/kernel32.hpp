// The Windows API, for the win32 layer's implementation files only, and the
// conversion between native handles and the 32-bit handles of the records.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>

namespace rt::platform {

inline HANDLE native_handle(int32_t handle) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}
inline int32_t handle_value(HANDLE handle) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

}  // namespace rt::platform
