#include <windows.h>

#include <climits>

#include "backends/hunspell/dictionary_encoding.h"

namespace spellchecker {
namespace {

// The sets Hunspell knows, by normalized name, with the Windows code page for each. Sets
// without a code page that supports strict conversion (ISO 8859-10 and -14, ISCII) are absent.
struct NameMapping {
  const char* hunspell;
  UINT code_page;
};
constexpr NameMapping kCodePages[] = {
    {"iso88591", 28591},  {"iso88592", 28592},       {"iso88593", 28593}, {"iso88594", 28594},
    {"iso88595", 28595},  {"iso88596", 28596},       {"iso88597", 28597}, {"iso88598", 28598},
    {"iso88599", 28599},  {"iso885911", 874},        {"tis620", 874},     {"tis6202533", 874},
    {"iso885913", 28603}, {"iso885915", 28605},      {"koi8r", 20866},    {"koi8u", 21866},
    {"cp1251", 1251},     {"microsoftcp1251", 1251},
};

// Strict conversion to UTF-16: fails on ill-formed input or a byte the code page leaves
// undefined.
bool ToWide(UINT code_page, const std::string& input, std::wstring* wide) {
  wide->clear();
  if (input.empty()) return true;
  if (input.size() > INT_MAX) return false;
  const int size = static_cast<int>(input.size());
  const int count =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, input.data(), size, nullptr, 0);
  if (count <= 0) return false;
  wide->resize(count);
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, input.data(), size, &(*wide)[0],
                             count) == count;
}

// Conversion from UTF-16; for an 8-bit code page, no best-fit mapping and a failure when a
// character needs the default character.
bool FromWide(UINT code_page, const std::wstring& wide, std::string* output) {
  output->clear();
  if (wide.empty()) return true;
  if (wide.size() > INT_MAX) return false;
  const int size = static_cast<int>(wide.size());
  const bool to_utf8 = code_page == CP_UTF8;
  const DWORD flags = to_utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_out = to_utf8 ? nullptr : &used_default;
  const int count = WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr,
                                        used_default_out);
  if (count <= 0 || used_default) return false;
  output->resize(count);
  return WideCharToMultiByte(code_page, flags, wide.data(), size, &(*output)[0], count, nullptr,
                             used_default_out) == count &&
         !used_default;
}

class CodePageEncoding : public DictionaryEncoding {
 public:
  explicit CodePageEncoding(UINT code_page) : code_page(code_page) {}

  bool FromUtf8(const std::string& utf8, std::string* encoded) override {
    std::wstring wide;
    return ToWide(CP_UTF8, utf8, &wide) && FromWide(code_page, wide, encoded);
  }
  bool ToUtf8(const std::string& encoded, std::string* utf8) override {
    std::wstring wide;
    return ToWide(code_page, encoded, &wide) && FromWide(CP_UTF8, wide, utf8);
  }

 private:
  UINT code_page;
};

}  // namespace

std::unique_ptr<DictionaryEncoding> MakePlatformEncoding(const std::string& normalized_name) {
  for (const NameMapping& mapping : kCodePages) {
    if (normalized_name == mapping.hunspell && IsValidCodePage(mapping.code_page)) {
      return std::make_unique<CodePageEncoding>(mapping.code_page);
    }
  }
  return nullptr;
}

}  // namespace spellchecker
