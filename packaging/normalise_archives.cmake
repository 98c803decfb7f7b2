# Run by cpack once a generator has written its packages (CPACK_POST_BUILD_SCRIPTS):
# each tar.gz or zip is rewritten by normalise_archive.py; the Debian package
# is already repeatable.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.(tar\\.gz|zip)$")
        if(NOT CPACK_TELLER_PYTHON3)
            message(FATAL_ERROR "Making ${package} repeatable needs python3, which was not found at configure time")
        endif()
        execute_process(COMMAND ${CPACK_TELLER_PYTHON3} ${CPACK_TELLER_NORMALISE_ARCHIVE} ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
