# Cross-compiles for 64-bit Windows with MinGW-w64 (Debian package
# g++-mingw-w64-x86-64); the tests run the executables under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The posix thread model: GoogleTest needs std::mutex, which GCC 12 has only
# there, not in the win32 model that Debian makes the default.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime linked in, so Wine needs no path to MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's wine64 package keeps its loader off the PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(TELLER_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TELLER_WINE})
endif()
