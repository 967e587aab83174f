#pragma once

#include <dlfcn.h>

namespace spellchecker {

// A system library that the module opens at run time instead of linking it, so that the module
// still loads where the library is not installed. Opened once and never closed: the functions
// taken from it stay valid for the life of the process. Looking a name up searches the library
// and the libraries it depends on.
class SharedLibrary {
 public:
  explicit SharedLibrary(const char* soname) : handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Points `*function` at the library's function `name`; false (and null) when the library or
  // the name is missing.
  template <typename Function>
  bool Bind(const char* name, Function* function) const {
    *function = handle != nullptr ? reinterpret_cast<Function>(dlsym(handle, name)) : nullptr;
    return *function != nullptr;
  }

 private:
  void* handle;
};

}  // namespace spellchecker
