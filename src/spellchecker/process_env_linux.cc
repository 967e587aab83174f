#include <dlfcn.h>
#include <link.h>

#include <cstdlib>

#include "host/host_mutex.h"
#include "spellchecker/process_env.h"

namespace spellchecker {
namespace {

// glibc's getenv takes no lock, and setenv may move the array that a getenv on another thread
// is walking. Node reads and writes the process environment (process.env on the main thread and
// in workers that share it) only under its per-process environment mutex, a libuv mutex that it
// exports with its other symbols. The module's accesses take it too, so that a construction in
// a worker cannot move the array from under the main thread's process.env. Where the host does
// not export it as such an object, they go unguarded.
uv_mutex_t* FindHostEnvironmentMutex() {
  void* const symbol = dlsym(RTLD_DEFAULT, "_ZN4node11per_process13env_var_mutexE");
  Dl_info info;
  void* entry = nullptr;
  if (!symbol || !dladdr1(symbol, &info, &entry, RTLD_DL_SYMENT) || !entry) return nullptr;
  // A libuv mutex as a data object of its own, or not the object this code knows.
  const auto* symbol_entry = static_cast<const ElfW(Sym)*>(entry);
  if (ELF64_ST_TYPE(symbol_entry->st_info) != STT_OBJECT ||
      symbol_entry->st_size != sizeof(uv_mutex_t)) {
    return nullptr;
  }
  return static_cast<uv_mutex_t*>(symbol);
}

uv_mutex_t* HostEnvironmentMutex() {
  static uv_mutex_t* const mutex = FindHostEnvironmentMutex();
  return mutex;
}

class HostEnvironmentLock {
 public:
  HostEnvironmentLock() : mutex(HostEnvironmentMutex()) {
    if (mutex) uv_mutex_lock(mutex);
  }
  HostEnvironmentLock(const HostEnvironmentLock&) = delete;
  HostEnvironmentLock& operator=(const HostEnvironmentLock&) = delete;
  ~HostEnvironmentLock() {
    if (mutex) uv_mutex_unlock(mutex);
  }

 private:
  uv_mutex_t* mutex;
};

}  // namespace

void SetProcessEnvironmentVariable(const char* name, const char* value) {
  HostEnvironmentLock lock;
  setenv(name, value, 1);
}

void RemoveProcessEnvironmentVariable(const char* name) {
  HostEnvironmentLock lock;
  unsetenv(name);
}

bool ProcessEnvironmentHas(const char* name) {
  HostEnvironmentLock lock;
  return std::getenv(name) != nullptr;
}

}  // namespace spellchecker
