# What every cross build here shares, included by its toolchain file once it
# has named the target's root (teller_cross_root) and the program that runs
# the target's executables (teller_cross_emulator, with teller_cross_paths
# where Debian keeps it off the PATH). The target's headers and libraries come
# from its root, the host's programs from the host, and the runtimes are linked
# in (TELLER_STATIC), so the emulator needs no path to the target's libraries.
set(CMAKE_FIND_ROOT_PATH ${teller_cross_root})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(TELLER_STATIC ON)

# Only the tests need the emulator, so a release builds without it; the
# project stops when tests are asked for and it is missing.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(TELLER_EMULATOR NAMES ${teller_cross_emulator} PATHS ${teller_cross_paths})
    if(TELLER_EMULATOR)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${TELLER_EMULATOR})
    endif()
endif()
