// The C++ runtime zig links into the module. Destructors of static objects are registered with
// the C library under the module's __dso_handle; GCC's start files run them as the module is
// unloaded, but zig links none, so they would run only at the process's exit, after the host had
// closed the module (Node.js closes addons when the last worker's environment that loaded them
// ends): calls into unmapped code. The module runs them itself as it is unloaded.
extern "C" {
extern void* __dso_handle;
void __cxa_finalize(void* dso_handle);
}

namespace {

[[gnu::destructor]] void RunStaticDestructors() { __cxa_finalize(&__dso_handle); }

}  // namespace
