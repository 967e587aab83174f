# Windows glue, included once every target is defined. The module's host functions (Node-API and
# libuv's mutexes) become delay-loaded imports from "node.exe", which the module's notification
# hook binds to whatever executable hosts it; SHELL32's object-properties function is imported by
# ordinal; the module exports nothing.

set(_spell_windows_dir ${CMAKE_BINARY_DIR}/windows)

# Two parts of zig's C++ runtime, rebuilt from zig's own sources and put first on each link line,
# so that zig's copies stay unused:
# - libunwind, whose functions zig 0.11 builds as DLL exports: here with its symbols hidden;
# - libc++abi's per-thread exception state, which zig builds with a fiber-local destructor in the
#   binary's code that every thread runs as it ends, also after the host's FreeLibrary (Node.js
#   closes addons when a worker's environment ends): here a plain thread_local without one.
if(SPELL_ZIG_LIBUNWIND_DIR)
  enable_language(ASM)
  set(_spell_unwind ${SPELL_ZIG_LIBUNWIND_DIR}/src)
  get_filename_component(_spell_cxxabi ${SPELL_ZIG_LIBUNWIND_DIR}/../libcxxabi ABSOLUTE)
  include(ZigRuntime)
  spell_zig_exception_storage(spell_windows_exception_storage ${_spell_cxxabi})
  add_library(spell_windows_runtime STATIC ${_spell_unwind}/libunwind.cpp
    ${_spell_unwind}/Unwind-seh.cpp ${_spell_unwind}/Unwind-EHABI.cpp
    ${_spell_unwind}/UnwindLevel1.c ${_spell_unwind}/UnwindLevel1-gcc-ext.c
    ${_spell_unwind}/Unwind-sjlj.c ${_spell_unwind}/gcc_personality_v0.c
    ${_spell_unwind}/UnwindRegistersRestore.S ${_spell_unwind}/UnwindRegistersSave.S)
  target_compile_definitions(spell_windows_runtime PRIVATE _LIBUNWIND_HIDE_SYMBOLS
                                                          _LIBUNWIND_IS_NATIVE_ONLY NDEBUG)
  set_target_properties(spell_windows_runtime PROPERTIES CXX_STANDARD 11 C_STANDARD 99
                                                        CXX_EXTENSIONS OFF)
  # Third-party code: its warnings are not ours to fix. No debug information: its assembly
  # sources would leave DWARF sections in the binaries, whose debug information is in the PDB.
  # zig counts libunwind's headers among its C++ library's, which CMake leaves off as implicit
  # include directories; named as an option, they stay.
  target_compile_options(spell_windows_runtime PRIVATE -w -g0 -funwind-tables
                         -I${SPELL_ZIG_LIBUNWIND_DIR}/include
                         $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti -fno-exceptions>)
  set(SPELL_WINDOWS_RUNTIME spell_windows_exception_storage spell_windows_runtime)
else()
  set(SPELL_WINDOWS_RUNTIME "")
endif()

# A plain import library for each .def file; delay loading is the linker's part
# (-Wl,--delayload=DLL, see cmake/toolchains/zig/cc).
function(spell_windows_import_library out def)
  get_filename_component(name ${def} NAME_WE)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}.a)
  add_custom_command(
    OUTPUT ${lib}
    COMMAND ${SPELL_DLLTOOL} -m ${SPELL_DLLTOOL_MACHINE} -d ${def} -l ${lib}
    DEPENDS ${def}
    COMMENT "Import library for ${name}")
  set(${out} ${lib} PARENT_SCOPE)
endfunction()

option(SPELL_BUILD_WINDOWS_TESTS "Build the tests of the Windows-only code" ON)
if(SPELL_BUILD_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/test/windows ${CMAKE_BINARY_DIR}/test/windows)
endif()

if(NOT TARGET spellchecker_module)
  return()
endif()

# node.exe's exports: node-api-headers' lists of Node-API functions, plus the libuv mutexes.
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
execute_process(
  COMMAND "${NODE_EXECUTABLE}" -p
          "Object.values(require('node-api-headers').def_paths).join(';')"
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  OUTPUT_VARIABLE _spell_node_defs OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(SPELL_NODE_API_EXPORTS "")
foreach(def IN LISTS _spell_node_defs)
  get_filename_component(def "${def}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  file(STRINGS ${def} names REGEX "^[a-z_0-9]+$")
  list(APPEND SPELL_NODE_API_EXPORTS ${names})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
endforeach()
list(REMOVE_DUPLICATES SPELL_NODE_API_EXPORTS)
list(JOIN SPELL_NODE_API_EXPORTS "\n" SPELL_NODE_API_EXPORTS)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/node_exe.def.in ${_spell_windows_dir}/node_exe.def
               @ONLY)

spell_windows_import_library(_spell_node_lib ${_spell_windows_dir}/node_exe.def)
spell_windows_import_library(_spell_shell32_lib ${CMAKE_CURRENT_LIST_DIR}/windows/shell32_ordinals.def)
add_custom_target(spell_windows_import_libs DEPENDS ${_spell_node_lib} ${_spell_shell32_lib})

add_dependencies(spellchecker_module spell_windows_import_libs)
# Each import library goes with the component that calls into it: node.exe's with the module's
# own objects and with the host's mutex functions, SHELL32's ordinals with the shell calls.
target_link_libraries(spellchecker_module PRIVATE ${_spell_node_lib} ${SPELL_WINDOWS_RUNTIME})
target_link_libraries(spell_host_mutex INTERFACE ${_spell_node_lib})
target_link_libraries(spell_shell PRIVATE ${_spell_shell32_lib})
# Without any export marked, lld in MinGW mode would export every symbol; the host needs none.
target_link_options(spellchecker_module PRIVATE LINKER:--delayload=node.exe
                    LINKER:--exclude-all-symbols)
if(TARGET shell_recorder)
  add_dependencies(shell_recorder spell_windows_import_libs)
  target_link_libraries(shell_recorder PRIVATE ${_spell_node_lib})
  target_link_options(shell_recorder PRIVATE LINKER:--delayload=node.exe
                      LINKER:--exclude-all-symbols)
endif()
