// Loads the built module into an executable that is not called node.exe and exports only
// napi_module_register. The module registers while it loads, through a delay-loaded import
// from "node.exe": the registration can only arrive here if the module's hook binds that import
// to the executable hosting it.
// Usage: module_host_probe <module path>
#include <windows.h>

#include <node_api.h>

#include <cstdio>
#include <cstring>

namespace {

napi_module* registered = nullptr;
int registrations = 0;

}  // namespace

// Exported by node_api.h's declaration, as node.exe exports it.
void napi_module_register(napi_module* module) {
  registered = module;
  ++registrations;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: module_host_probe <module path>\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  int failures = 0;
  auto expect = [&failures](bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
  };
  expect(module != nullptr, "the module loads into a host not named node.exe");
  expect(registrations == 1, "the module registered once, with this executable, while loading");
  expect(registered != nullptr && registered->nm_version == 1 &&
             registered->nm_modname != nullptr &&
             std::strcmp(registered->nm_modname, "main") == 0 &&
             registered->nm_register_func != nullptr,
         "the record names the module \"main\" and carries its register function");
  std::printf("%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
