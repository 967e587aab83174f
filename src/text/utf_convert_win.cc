// Conversions through the platform's code-page functions with CP_UTF8 and no flags, so that
// malformed input becomes U+FFFD instead of failing the call.

#include <windows.h>

#include <cstring>
#include <string>

#include "text/utf_convert.h"
#include "text/utf_convert_limits.h"

namespace spellchecker {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are wchar_t on Windows");

std::u16string Utf8ToUtf16(const std::string& utf8) {
  if (utf8.empty()) return {};
  // Sized for the worst case so that one call suffices; limited so that it fits an int.
  const size_t capacity = Utf16ScratchUnits(utf8.size());
  if (capacity == 0) return {};
  const void* nul = std::memchr(utf8.data(), 0, utf8.size());
  const size_t bytes =
      nul ? static_cast<size_t>(static_cast<const char*>(nul) - utf8.data()) : utf8.size();
  std::u16string scratch(capacity, u'\0');
  const int written =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(bytes),
                          reinterpret_cast<wchar_t*>(&scratch[0]), static_cast<int>(capacity));
  scratch[static_cast<size_t>(written)] = u'\0';
  return std::u16string(scratch.c_str());
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
  if (utf16.empty()) return {};
  const size_t capacity = Utf8ScratchBytes(utf16.size());
  if (capacity == 0) return {};
  std::string scratch(capacity, '\0');
  const int written = WideCharToMultiByte(
      CP_UTF8, 0, reinterpret_cast<const wchar_t*>(utf16.data()), static_cast<int>(utf16.size()),
      &scratch[0], static_cast<int>(capacity), nullptr, nullptr);
  scratch[static_cast<size_t>(written)] = '\0';
  return std::string(scratch.c_str());
}

bool Utf8Converter::ConvertToUtf8(char* destination, int32_t capacity, const char16_t* source,
                                  int32_t count) {
  if (destination == nullptr) return true;
  // A zero capacity would make the call measure instead of convert, and a count of -1 would
  // make it read up to a NUL unit: neither may reach it.
  if (capacity <= 0 || count <= 0) {
    destination[0] = '\0';
    return true;
  }
  const int written = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(source),
                                          count, destination, capacity, nullptr, nullptr);
  destination[written] = '\0';
  return true;
}

}  // namespace spellchecker
