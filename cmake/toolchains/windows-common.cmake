# Settings shared by the Windows toolchains. The toolchain brings the target's headers and
# runtime (its directory in CMAKE_FIND_ROOT_PATH, set before this is included, searched alone)
# and every other dependency is built with the project (Hunspell from its source package), so
# nothing is found among the build machine's own libraries, headers or pkg-config packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)

# An empty PKG_CONFIG_LIBDIR would mean pkg-config's default, the build machine's packages.
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
