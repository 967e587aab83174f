# Settings shared by the Windows toolchains. SPELL_WINDOWS_PREFIX names a directory of
# dependencies built for the target (Hunspell), searched by CMake and by pkg-config instead of
# the build machine's own packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)

# Toolchain files are read again for every try_compile, where only the environment survives.
if(SPELL_WINDOWS_PREFIX)
  set(ENV{SPELL_WINDOWS_PREFIX} "${SPELL_WINDOWS_PREFIX}")
elseif(DEFINED ENV{SPELL_WINDOWS_PREFIX})
  set(SPELL_WINDOWS_PREFIX "$ENV{SPELL_WINDOWS_PREFIX}")
endif()

set(CMAKE_FIND_ROOT_PATH ${SPELL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${SPELL_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
