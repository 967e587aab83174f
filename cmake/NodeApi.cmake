# Locates the Node-API and node-addon-api headers installed by `npm ci`.
# Nothing is downloaded: both come from the npm packages in node_modules.
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)

function(_node_package_dir out package expression)
  execute_process(
    COMMAND "${NODE_EXECUTABLE}" -p "${expression}"
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE value
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR value STREQUAL "")
    message(FATAL_ERROR "Cannot find the npm package ${package}: run `npm ci` first.")
  endif()
  get_filename_component(value "${value}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

_node_package_dir(NODE_API_HEADERS_DIR node-api-headers "require('node-api-headers').include_dir")
_node_package_dir(NODE_ADDON_API_DIR node-addon-api "require('node-addon-api').include_dir")
_node_package_dir(NODE_API_HEADERS_DEF_DIR node-api-headers
                  "require('path').dirname(require('node-api-headers').def_paths.node_api_def)")

add_library(node_api_headers INTERFACE)
target_include_directories(node_api_headers SYSTEM INTERFACE "${NODE_API_HEADERS_DIR}"
                                                             "${NODE_ADDON_API_DIR}")
target_compile_definitions(node_api_headers INTERFACE NAPI_VERSION=8 NODE_ADDON_API_CPP_EXCEPTIONS
                                                      NODE_ADDON_API_DISABLE_DEPRECATED)
# A call that fails while its environment is being torn down (a worker terminated mid-call)
# cannot throw into script either; without this, node-addon-api rethrows that failure as a C++
# exception out of the callback and the whole process aborts.
target_compile_definitions(node_api_headers INTERFACE NODE_API_SWALLOW_UNTHROWABLE_EXCEPTIONS)
# Electron (21 and later) keeps V8's memory in a cage and refuses any buffer over memory outside
# it at run time; without the calls that make one, no path of the module can hand it such memory.
target_compile_definitions(node_api_headers INTERFACE NODE_API_NO_EXTERNAL_BUFFERS_ALLOWED)
