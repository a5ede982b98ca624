// Translation of Linux error numbers into the platform codes that the
// runtime's I/O results are numbered by.
#pragma once

#include <cstdint>

namespace rt::platform {

// The platform code for a failed call's result (a negated error number).
int32_t platform_code(long failed_result);

// Platform codes that the file layer uses by name.
constexpr int32_t CODE_FILE_NOT_FOUND = 2;
constexpr int32_t CODE_PATH_NOT_FOUND = 3;
constexpr int32_t CODE_ACCESS_DENIED = 5;
constexpr int32_t CODE_SHARING_VIOLATION = 32;

}  // namespace rt::platform
