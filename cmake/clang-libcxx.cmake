# Builds with Clang and LLVM's C++ library, libc++, in place of the system's:
# the library of a Mac, on Linux (Debian packages clang and libc++-dev). As
# the toolchain's own flags, which CMake adds to the user's CXXFLAGS, it
# reaches every target, GoogleTest's too, whose library must be built with it.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
