# Read by cpack before each generator. Without dpkg-shlibdeps CPack only prints
# a message and writes a package that depends on nothing, not even libc.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(TELLER_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(NOT TELLER_DPKG_SHLIBDEPS)
        message(FATAL_ERROR "The Debian package needs dpkg-shlibdeps to list its dependencies: install dpkg-dev")
    endif()
endif()
