# Windows ARM64 with clang against the mingw-w64 headers. Debian has no ARM64 mingw-w64 runtime,
# so this toolchain compiles objects and static archives only; nothing is linked.
set(CMAKE_SYSTEM_PROCESSOR ARM64)
include(${CMAKE_CURRENT_LIST_DIR}/windows-common.cmake)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET aarch64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET aarch64-w64-mingw32)
set(CMAKE_AR llvm-ar-14)
set(CMAKE_RANLIB llvm-ranlib-14)
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(SPELL_WINDOWS_OBJECTS_ONLY ON)

# Only the build machine's headers would be found by default. The mingw-w64 headers serve every
# architecture; libstdc++'s come from the x64 posix compiler, whose configuration is the same
# for ARM64 but for the CPU-specific parts, which select themselves by predefined macros.
execute_process(COMMAND clang-14 -print-resource-dir OUTPUT_VARIABLE _spell_clang_resources
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(GLOB _spell_libstdcxx LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++)
list(GET _spell_libstdcxx 0 _spell_libstdcxx)
set(_spell_c_includes "-nostdinc -isystem ${_spell_clang_resources}/include -isystem ${SPELL_MINGW_ROOT}/include")
set(CMAKE_C_FLAGS_INIT "${_spell_c_includes}")
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc -isystem ${_spell_libstdcxx} -isystem ${_spell_libstdcxx}/x86_64-w64-mingw32 -isystem ${_spell_libstdcxx}/backward -isystem ${_spell_clang_resources}/include -isystem ${SPELL_MINGW_ROOT}/include")
