# Windows glue, included once every target is defined. The module's host functions (Node-API and
# libuv's mutexes) become delay-loaded imports from "node.exe", which the module's notification
# hook binds to whatever executable hosts it; SHELL32's object-properties function is imported by
# ordinal; the module exports nothing.

set(_spell_windows_dir ${CMAKE_BINARY_DIR}/windows)

option(SPELL_BUILD_WINDOWS_TESTS "Build the tests of the Windows-only code" ON)
if(SPELL_BUILD_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/test/windows ${CMAKE_BINARY_DIR}/test/windows)
endif()

if(SPELL_WINDOWS_OBJECTS_ONLY OR NOT TARGET spellchecker_module)
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

set(_spell_node_delaylib ${_spell_windows_dir}/libnode_exe_delay.a)
set(_spell_shell32_lib ${_spell_windows_dir}/libshell32_ordinals.a)
add_custom_command(
  OUTPUT ${_spell_node_delaylib}
  COMMAND ${SPELL_DLLTOOL} --input-def ${_spell_windows_dir}/node_exe.def --dllname node.exe
          --output-delaylib ${_spell_node_delaylib}
  DEPENDS ${_spell_windows_dir}/node_exe.def
  COMMENT "Delay-import library for node.exe")
add_custom_command(
  OUTPUT ${_spell_shell32_lib}
  COMMAND ${SPELL_DLLTOOL} --input-def ${CMAKE_CURRENT_LIST_DIR}/windows/shell32_ordinals.def
          --dllname SHELL32.dll --output-lib ${_spell_shell32_lib}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/windows/shell32_ordinals.def
  COMMENT "Import library for SHELL32's ordinal-only exports")
add_custom_target(spell_windows_import_libs DEPENDS ${_spell_node_delaylib} ${_spell_shell32_lib})

add_dependencies(spellchecker_module spell_windows_import_libs)
# Each import library goes with the component that calls into it, so the link line puts it after
# that component's archive: node.exe's with the module's own objects and with the host's mutex
# functions, SHELL32's ordinals with the shell calls.
target_link_libraries(spellchecker_module PRIVATE ${_spell_node_delaylib})
target_link_libraries(spell_host_mutex INTERFACE ${_spell_node_delaylib})
target_link_libraries(spell_shell PRIVATE ${_spell_shell32_lib})
# GNU ld exports every symbol of a DLL that marks none for export; the host needs none.
target_link_options(spellchecker_module PRIVATE LINKER:--exclude-all-symbols)
