# Cross-compiles for 64-bit IBM Z Linux with GCC (Debian package
# g++-s390x-linux-gnu); the tests run the executables under qemu-user. IBM Z
# stores numbers big-endian and, like Arm, makes plain char unsigned.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/s390x-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C library linked in, so qemu needs no path to the target's loader and
# shared libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(TELLER_QEMU_S390X qemu-s390x REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TELLER_QEMU_S390X})
endif()
