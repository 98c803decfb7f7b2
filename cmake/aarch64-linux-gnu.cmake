# Cross-compiles for 64-bit Arm Linux with GCC (Debian package
# g++-aarch64-linux-gnu); the tests run the executables under qemu-user. Arm
# makes plain char unsigned, which x86-64 does not.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C library linked in, so qemu needs no path to the target's loader and
# shared libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(TELLER_QEMU_AARCH64 qemu-aarch64 REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TELLER_QEMU_AARCH64})
endif()
