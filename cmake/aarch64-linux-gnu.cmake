# Cross-compiles for 64-bit Arm Linux with GCC (Debian package
# g++-aarch64-linux-gnu). Arm makes plain char unsigned, which x86-64 does
# not.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(teller_cross_root /usr/aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
