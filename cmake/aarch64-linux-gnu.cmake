# Cross-compiling for Linux on arm64 with Debian's cross compiler (package
# g++-aarch64-linux-gnu) and its binutils. The programs link no C library;
# the runtime's tests built for arm64 link the target's own, statically.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_AR aarch64-linux-gnu-ar)
set(CMAKE_RANLIB aarch64-linux-gnu-ranlib)
set(CMAKE_OBJCOPY aarch64-linux-gnu-objcopy)
set(CMAKE_READELF aarch64-linux-gnu-readelf)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
