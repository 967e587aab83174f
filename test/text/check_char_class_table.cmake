# Runs the character-class generator into OUTPUT and compares it with the COMMITTED table.
execute_process(COMMAND ${PYTHON} ${GENERATOR} --output ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed (${status})")
endif()

file(STRINGS ${COMMITTED} committed_version LIMIT_COUNT 1 REGEX "from the Unicode")
file(STRINGS ${OUTPUT} generated_version LIMIT_COUNT 1 REGEX "from the Unicode")
string(REGEX MATCH "Unicode [0-9.]+" committed_version "${committed_version}")
string(REGEX MATCH "Unicode [0-9.]+" generated_version "${generated_version}")
if(NOT committed_version STREQUAL generated_version)
  message("Unicode version differs, nothing to compare: the table has ${committed_version}, "
          "${PYTHON} has ${generated_version}")
  return()
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${OUTPUT}
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${COMMITTED} is not what ${GENERATOR} makes (see ${OUTPUT}): "
                      "run python3 tools/gen_char_class.py")
endif()
message("${COMMITTED} matches the generator")
