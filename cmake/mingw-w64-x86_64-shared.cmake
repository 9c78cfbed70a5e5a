# Cross-build for 64-bit Windows with MinGW-w64's posix-threads compiler (std::thread and
# std::mutex need it), the runtime in DLLs: Qt for Windows and the programs that link it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot and the given prefixes (Qt, libxlsxwriter,
# GoogleTest), never from the build machine; programs (cmake's own helpers, Qt's host tools) from
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the .pc files of Windows libraries only: those of the given prefixes, which
# FindPkgConfig puts first, and the MinGW sysroot's; never the build machine's, whose libxlsxwriter
# would be taken for the missing Windows one.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${MINGW_TRIPLET}/lib/pkgconfig)
