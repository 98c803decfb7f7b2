# What every cross build here shares, included by its toolchain file once it
# has named the target's root (teller_cross_root): the target's headers and
# libraries come from its root, the host's programs from the host.
set(CMAKE_FIND_ROOT_PATH ${teller_cross_root})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
