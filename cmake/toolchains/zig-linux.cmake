# Linux x64 or ARM64 (SPELL_LINUX_ARCH: x64 | arm64) with zig, against the symbol versions of
# glibc 2.28 (SPELL_LINUX_GLIBC), so that the module loads on every system since: zig links
# against stubs of that glibc's libraries, which offer nothing newer. zig's libc++ goes into the
# module statically.
set(CMAKE_SYSTEM_NAME Linux)
if(SPELL_LINUX_ARCH)
  set(ENV{SPELL_LINUX_ARCH} "${SPELL_LINUX_ARCH}")
else()
  set(SPELL_LINUX_ARCH "$ENV{SPELL_LINUX_ARCH}")
endif()
set(SPELL_LINUX_GLIBC 2.28)
if(SPELL_LINUX_ARCH STREQUAL "x64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
elseif(SPELL_LINUX_ARCH STREQUAL "arm64")
  set(CMAKE_SYSTEM_PROCESSOR aarch64)
else()
  message(FATAL_ERROR "SPELL_LINUX_ARCH must be x64 or arm64, not '${SPELL_LINUX_ARCH}'")
endif()
set(_spell_zig_target ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu.${SPELL_LINUX_GLIBC})
include(${CMAKE_CURRENT_LIST_DIR}/zig-common.cmake)

# Enchant, GIO and libuv are only declared, never linked: their headers come from the build
# machine's development packages, found through its own pkg-config files. The one header among
# them made per architecture, glibconfig.h, differs between x86_64 and aarch64 only in
# G_VA_COPY_AS_ARRAY, which nothing here uses (both are LP64 and little-endian).
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/x86_64-linux-gnu/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The C++ runtime is LLVM's (libc++, libc++abi, libunwind), which zig builds and links itself;
# cmake/ZigRuntime.cmake rebuilds the part of it that must not outlive the module.
set(SPELL_CXX_RUNTIME libc++)
set(SPELL_ZIG_LIBCXXABI_DIR ${_spell_zig_lib}/libcxxabi)
