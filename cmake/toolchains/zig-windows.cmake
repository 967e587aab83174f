# Windows x64 or ARM64 (SPELL_WINDOWS_ARCH: x64 | arm64) with zig, which brings clang, lld,
# libc++ and a mingw-w64 runtime for both architectures. The C++ runtime goes into each binary
# statically, so binaries need only system DLLs. The wrappers in zig/ run zig from node_modules.
if(SPELL_WINDOWS_ARCH)
  set(ENV{SPELL_WINDOWS_ARCH} "${SPELL_WINDOWS_ARCH}")
else()
  set(SPELL_WINDOWS_ARCH "$ENV{SPELL_WINDOWS_ARCH}")
endif()
if(SPELL_WINDOWS_ARCH STREQUAL "x64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(_spell_zig_target x86_64-windows-gnu)
  set(SPELL_DLLTOOL_MACHINE i386:x86-64)
elseif(SPELL_WINDOWS_ARCH STREQUAL "arm64")
  set(CMAKE_SYSTEM_PROCESSOR ARM64)
  set(_spell_zig_target aarch64-windows-gnu)
  set(SPELL_DLLTOOL_MACHINE arm64)
else()
  message(FATAL_ERROR "SPELL_WINDOWS_ARCH must be x64 or arm64, not '${SPELL_WINDOWS_ARCH}'")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/zig-common.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/windows-common.cmake)

set(SPELL_DLLTOOL ${_spell_zig}/dlltool)
# zig's copy of libunwind, rebuilt by WindowsHost.cmake with its symbols kept inside each binary.
set(SPELL_ZIG_LIBUNWIND_DIR ${_spell_zig_lib}/libunwind)

find_program(SPELL_READOBJ NAMES llvm-readobj-14 llvm-readobj)

# x64 programs run under this machine's wine; ARM64 ones under wine in an emulated ARM64 root,
# which needs root (scripts/lib/windows-arm64.sh).
if(SPELL_WINDOWS_ARCH STREQUAL "x64")
  find_program(SPELL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(SPELL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SPELL_WINE})
  endif()
else()
  get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR
                         ${CMAKE_CURRENT_LIST_DIR}/../../scripts/windows/arm64-run.sh ABSOLUTE)
endif()
