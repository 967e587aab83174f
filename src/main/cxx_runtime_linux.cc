// The C++ runtime is linked into the module. GCC's runtime allocates an emergency pool for
// exceptions when it is loaded and frees it only on request, so each load of the module would
// leave it behind: workers load the module and the host unloads it again when the last of them
// ends. The module frees the pool as it is unloaded, after which nothing of it runs.
namespace __gnu_cxx {
void __freeres() noexcept;
}  // namespace __gnu_cxx

namespace {

[[gnu::destructor]] void FreeRuntimeExceptionPool() { __gnu_cxx::__freeres(); }

}  // namespace
