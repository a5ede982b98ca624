# Cross-compiling for Linux on riscv64 with clang and Debian's riscv64
# binutils and C library (packages clang, binutils-riscv64-linux-gnu and
# g++-riscv64-linux-gnu, for the target's headers and libraries). clang
# rather than g++: g++ 12 keeps no return address in the frame record of a
# routine that calls nothing (-mno-omit-leaf-frame-pointer is refused), so a
# fault there could not be reported with its callers; clang keeps a whole
# record in every routine.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR riscv64)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET riscv64-linux-gnu)
set(CMAKE_AR riscv64-linux-gnu-ar)
set(CMAKE_RANLIB riscv64-linux-gnu-ranlib)
set(CMAKE_OBJCOPY riscv64-linux-gnu-objcopy)
set(CMAKE_READELF riscv64-linux-gnu-readelf)

set(CMAKE_FIND_ROOT_PATH /usr/riscv64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
