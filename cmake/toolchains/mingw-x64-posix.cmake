# Windows x64 with Debian's mingw-w64 in its posix thread variant: the win32 variant's libstdc++
# has no std::mutex, which node-addon-api needs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/windows-common.cmake)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(SPELL_DLLTOOL x86_64-w64-mingw32-dlltool)
set(SPELL_OBJDUMP x86_64-w64-mingw32-objdump)
set(SPELL_NM x86_64-w64-mingw32-nm)

# The C++ runtime, libgcc and winpthreads go into each binary, so it needs only system DLLs.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static")
endforeach()

find_program(SPELL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SPELL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SPELL_WINE})
endif()
