// A Node-API addon for the script tests: it points the module's imports of SHELL32's
// SHOpenWithDialog and ordinal 178 (the object-properties function) at recorders, so a test sees
// exactly what the module hands the shell. Wine's own functions are stubs that show nothing.
//   install(modulePath) -> number of import slots replaced (2 for the module)
//   calls() -> [{fn: "SHOpenWithDialog", owner, file, fileClass, flags}
//               | {fn: "ShellObjectProperties", owner, objectType, name, page}]
//   clear()
// owner is null for a null window handle, else its value; strings are read up to their NUL.
#include <node_api.h>
#include <shlobj.h>
#include <windows.h>

#include <string.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

struct Call {
  bool open_with;
  HWND owner;
  bool has_file;
  std::u16string file;
  bool has_class;
  std::u16string file_class;
  unsigned long flags;
  unsigned long object_type;
  bool has_page;
  std::u16string page;
};

std::mutex calls_mutex;
std::vector<Call> calls;

void Read(PCWSTR text, bool* present, std::u16string* out) {
  *present = text != nullptr;
  if (text != nullptr) out->assign(reinterpret_cast<const char16_t*>(text));
}

HRESULT WINAPI RecordOpenWith(HWND owner, const OPENASINFO* info) {
  Call call = {};
  call.open_with = true;
  call.owner = owner;
  if (info != nullptr) {
    Read(info->pcszFile, &call.has_file, &call.file);
    Read(info->pcszClass, &call.has_class, &call.file_class);
    call.flags = info->oaifInFlags;
  }
  std::lock_guard<std::mutex> lock(calls_mutex);
  calls.push_back(std::move(call));
  return S_OK;
}

BOOL WINAPI RecordProperties(HWND owner, DWORD object_type, PCWSTR name, PCWSTR page) {
  Call call = {};
  call.owner = owner;
  call.object_type = object_type;
  Read(name, &call.has_file, &call.file);
  Read(page, &call.has_page, &call.page);
  std::lock_guard<std::mutex> lock(calls_mutex);
  calls.push_back(std::move(call));
  return TRUE;
}

bool Replace(void** slot, void* target) {
  DWORD old_protection = 0;
  if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old_protection)) return false;
  *slot = target;
  VirtualProtect(slot, sizeof(void*), old_protection, &old_protection);
  return true;
}

// Walks the module's import directory for SHELL32.dll and replaces the two functions' slots.
int ReplaceShellImports(HMODULE module) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return 0;
  int replaced = 0;
  for (auto* descriptor =
           reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), "shell32.dll") != 0) {
      continue;
    }
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      void* target = nullptr;
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
        if (IMAGE_ORDINAL(names->u1.Ordinal) == 178) {
          target = reinterpret_cast<void*>(&RecordProperties);
        }
      } else {
        auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (strcmp(reinterpret_cast<const char*>(by_name->Name), "SHOpenWithDialog") == 0) {
          target = reinterpret_cast<void*>(&RecordOpenWith);
        }
      }
      if (target != nullptr && Replace(reinterpret_cast<void**>(&slots->u1.Function), target)) {
        ++replaced;
      }
    }
  }
  return replaced;
}

napi_value Throw(napi_env env, const char* message) {
  napi_throw_error(env, nullptr, message);
  return nullptr;
}

napi_value String(napi_env env, bool present, const std::u16string& text) {
  napi_value value;
  if (!present) {
    napi_get_null(env, &value);
  } else {
    napi_create_string_utf16(env, text.data(), text.size(), &value);
  }
  return value;
}

napi_value Number(napi_env env, double number) {
  napi_value value;
  napi_create_double(env, number, &value);
  return value;
}

napi_value Install(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value path_value;
  napi_get_cb_info(env, info, &argc, &path_value, nullptr, nullptr);
  size_t length = 0;
  if (argc < 1 || napi_get_value_string_utf16(env, path_value, nullptr, 0, &length) != napi_ok) {
    return Throw(env, "install(modulePath): a path was expected");
  }
  std::u16string path(length, u'\0');
  napi_get_value_string_utf16(env, path_value, &path[0], length + 1, &length);
  HMODULE module = GetModuleHandleW(reinterpret_cast<LPCWSTR>(path.c_str()));
  if (module == nullptr) return Throw(env, "install(modulePath): that module is not loaded");
  return Number(env, ReplaceShellImports(module));
}

napi_value Calls(napi_env env, napi_callback_info) {
  std::lock_guard<std::mutex> lock(calls_mutex);
  napi_value list;
  napi_create_array_with_length(env, calls.size(), &list);
  for (size_t i = 0; i < calls.size(); ++i) {
    const Call& call = calls[i];
    napi_value record, fn, owner;
    napi_create_object(env, &record);
    napi_create_string_utf8(env, call.open_with ? "SHOpenWithDialog" : "ShellObjectProperties",
                            NAPI_AUTO_LENGTH, &fn);
    napi_set_named_property(env, record, "fn", fn);
    if (call.owner == nullptr) {
      napi_get_null(env, &owner);
    } else {
      owner = Number(env, static_cast<double>(reinterpret_cast<uintptr_t>(call.owner)));
    }
    napi_set_named_property(env, record, "owner", owner);
    if (call.open_with) {
      napi_set_named_property(env, record, "file", String(env, call.has_file, call.file));
      napi_set_named_property(env, record, "fileClass",
                              String(env, call.has_class, call.file_class));
      napi_set_named_property(env, record, "flags", Number(env, call.flags));
    } else {
      napi_set_named_property(env, record, "objectType", Number(env, call.object_type));
      napi_set_named_property(env, record, "name", String(env, call.has_file, call.file));
      napi_set_named_property(env, record, "page", String(env, call.has_page, call.page));
    }
    napi_set_element(env, list, i, record);
  }
  return list;
}

napi_value Clear(napi_env env, napi_callback_info) {
  std::lock_guard<std::mutex> lock(calls_mutex);
  calls.clear();
  napi_value undefined;
  napi_get_undefined(env, &undefined);
  return undefined;
}

napi_value Init(napi_env env, napi_value exports) {
  const napi_property_descriptor properties[] = {
      {"install", nullptr, Install, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"calls", nullptr, Calls, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"clear", nullptr, Clear, nullptr, nullptr, nullptr, napi_default, nullptr},
  };
  napi_define_properties(env, exports, sizeof(properties) / sizeof(properties[0]), properties);
  return exports;
}

napi_module recorder_record = {1, 0, __FILE__, Init, "shell_recorder", nullptr, {nullptr}};

// Registers while the host loads the addon, as the module does: it exports nothing.
struct Registration {
  Registration() { napi_module_register(&recorder_record); }
};
const Registration registration;

}  // namespace
