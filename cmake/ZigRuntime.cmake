# libc++abi's per-thread exception state, rebuilt from zig's own sources as a plain thread_local
# and linked into each binary as an object, so that zig's copy stays unused. zig builds it on a
# thread-specific key (fiber-local on Windows) with a destructor in the binary's code, which
# every thread that ever threw runs as it ends, also after the host has closed the module
# (Node.js closes addons when a worker's environment ends): a call into unmapped code.
# Usage: spell_zig_exception_storage(TARGET LIBCXXABI_DIR)
function(spell_zig_exception_storage target cxxabi)
  add_library(${target} OBJECT ${cxxabi}/src/cxa_exception_storage.cpp)
  target_compile_definitions(${target} PRIVATE HAS_THREAD_LOCAL NDEBUG)
  # Third-party code: its warnings are not ours to fix.
  target_compile_options(${target} PRIVATE -w -g0 -I${cxxabi}/include)
  set_target_properties(${target} PROPERTIES CXX_STANDARD 11 CXX_EXTENSIONS OFF)
endfunction()
