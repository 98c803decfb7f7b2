# Cross-compiles for 64-bit IBM Z Linux with GCC (Debian package
# g++-s390x-linux-gnu). IBM Z stores numbers big-endian and, like Arm, makes
# plain char unsigned.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)

set(teller_cross_root /usr/s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
