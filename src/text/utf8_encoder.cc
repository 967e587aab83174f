#include "text/utf8_encoder.h"

namespace spellchecker {

char* EncodeUtf8(const char16_t* in, const char16_t* end, char* out, const char* out_end) {
  while (in < end) {
    char32_t code = *in++;
    if (code < 0x80) {
      if (out == out_end) return nullptr;
      *out++ = static_cast<char>(code);
      continue;
    }
    if (code < 0x800) {
      if (out_end - out < 2) return nullptr;
      *out++ = static_cast<char>(0xC0 | (code >> 6));
      *out++ = static_cast<char>(0x80 | (code & 0x3F));
      continue;
    }
    if (code >= 0xD800 && code <= 0xDFFF) {
      if (code <= 0xDBFF && in < end && *in >= 0xDC00 && *in <= 0xDFFF) {
        if (out_end - out < 4) return nullptr;
        code = 0x10000 + ((code - 0xD800) << 10) + (*in++ - 0xDC00);
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
        continue;
      }
      code = 0xFFFD;
    }
    if (out_end - out < 3) return nullptr;
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

void AppendUtf8(const char16_t* text, size_t length, std::string* out) {
  // A unit never takes more than three bytes (a surrogate pair takes four for two units).
  const size_t written = out->size();
  out->resize(written + 3 * length);
  char* end = EncodeUtf8(text, text + length, &(*out)[0] + written, out->data() + out->size());
  out->resize(static_cast<size_t>(end - out->data()));
}

}  // namespace spellchecker
