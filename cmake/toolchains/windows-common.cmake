# Settings shared by the Windows toolchains. Every dependency but the mingw-w64 runtime is built
# with the project (Hunspell from its source package), so nothing is searched outside the sysroot
# and pkg-config finds none of the build machine's own packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)

set(SPELL_MINGW_ROOT /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH ${SPELL_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${SPELL_MINGW_ROOT}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
